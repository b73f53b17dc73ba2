#include "controls/fonts.h"

#include <cstring>
#include <map>
#include <mutex>

#include "services/codepage.h"
#include "services/handle.h"

namespace {

// Faces that hold the Chinese characters, the usual Windows ones first,
// then those a Linux system under Wine offers.
const wchar_t* const kFallbackFaces[] = {
    L"Microsoft YaHei",
    L"SimHei",
    L"SimSun",
    L"NSimSun",
    L"Microsoft JhengHei",
    L"WenQuanYi Micro Hei",
    L"WenQuanYi Zen Hei",
    L"Noto Sans CJK SC",
    L"Noto Sans SC",
    L"Source Han Sans SC",
    L"Droid Sans Fallback",
    L"AR PL UMing CN",
    L"AR PL UKai CN",
};

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(const std::wstring& face) {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    LOGFONTW query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    face.copy(query.lfFaceName, LF_FACESIZE - 1);
    HDC dc = GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExW(dc, &query, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

struct FontCache {
    std::mutex lock;
    std::map<Bytes, GdiObject> fonts;
    std::map<std::wstring, std::wstring> faces;
};

FontCache& Cache() {
    static FontCache cache;
    return cache;
}

}  // namespace

std::wstring InstalledFace(const std::wstring& face) {
    FontCache& cache = Cache();
    std::lock_guard guard(cache.lock);
    auto known = cache.faces.find(face);
    if (known != cache.faces.end()) return known->second;
    std::wstring chosen = face;
    if (!FaceInstalled(face)) {
        for (const wchar_t* fallback : kFallbackFaces) {
            if (FaceInstalled(fallback)) {
                chosen = fallback;
                break;
            }
        }
    }
    cache.faces[face] = chosen;
    return chosen;
}

HFONT FontFromBlock(const Bytes& block) {
    if (block.size() < 60) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    {
        std::lock_guard guard(Cache().lock);
        auto found = Cache().fonts.find(block);
        if (found != Cache().fonts.end()) return static_cast<HFONT>(found->second.get());
    }
    LOGFONTA stored;
    std::memcpy(&stored, block.data(), sizeof stored);
    LOGFONTW font = {};
    std::memcpy(&font, &stored, offsetof(LOGFONTA, lfFaceName));
    std::string faceBytes(stored.lfFaceName, strnlen(stored.lfFaceName, LF_FACESIZE));
    std::wstring face = InstalledFace(ToWideText(faceBytes));
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    GdiObject made(CreateFontIndirectW(&font));
    if (!made) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    std::lock_guard guard(Cache().lock);
    auto [entry, added] = Cache().fonts.emplace(block, std::move(made));
    return static_cast<HFONT>(entry->second.get());
}

void EndFonts() {
    std::lock_guard guard(Cache().lock);
    Cache().fonts.clear();
}
