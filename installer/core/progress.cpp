#include "installer/core/progress.h"

#include <cmath>
#include <string>

Text ProgressNotice(std::int64_t received, std::int64_t size) {
    if (size <= 0) return {};
    double share = std::round(static_cast<double>(received) / static_cast<double>(size) * 100.0);
    Text percent = std::to_string(static_cast<long long>(share));
    if (percent == "100") return {};
    return "正在下载新版本，进度：" + percent + " %";
}
