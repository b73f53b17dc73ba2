#pragma once
// The download's progress as the status strip shows it.
#include <cstdint>

#include "services/core/values.h"

// "正在下载新版本，进度：42 %", the share rounded half away from zero; empty
// when it comes to 100 (never shown: "正在安装文件" follows) or no size is known.
Text ProgressNotice(std::int64_t received, std::int64_t size);
