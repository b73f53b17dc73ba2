#pragma once
// A fresh folder under the temporary folder, with a Chinese name so that
// every test path crosses the code page conversion; removed afterwards.
#include "services/core/values.h"

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const Text& path() const { return path_; }
    Text operator/(const Text& name) const { return path_ + "\\" + name; }

private:
    Text path_;
};
