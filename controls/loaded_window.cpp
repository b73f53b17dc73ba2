#include "controls/loaded_window.h"

#include "controls/edit_box.h"
#include "controls/form.h"
#include "controls/label.h"
#include "controls/picture_box.h"
#include "controls/shape_box.h"
#include "controls/skinned_button.h"
#include "controls/tab_control.h"

Control* LoadedWindow::Find(std::uint32_t id) const {
    for (const auto& control : controls_)
        if (control->id() == id) return control.get();
    return nullptr;
}

std::unique_ptr<Control> MakeControl(LoadedWindow& window, const ControlRecord& record) {
    switch (record.type) {
        case ControlType::Window: return std::make_unique<Form>(window, record);
        case ControlType::EditBox: return std::make_unique<EditBox>(window, record);
        case ControlType::PictureBox: return std::make_unique<PictureBox>(window, record);
        case ControlType::ShapeBox: return std::make_unique<ShapeBox>(window, record);
        case ControlType::Label: return std::make_unique<Label>(window, record);
        case ControlType::TabControl: return std::make_unique<TabControl>(window, record);
        case ControlType::SkinnedButton: return std::make_unique<SkinnedButton>(window, record);
    }
    return nullptr;
}
