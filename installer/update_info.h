#pragma once
// "up.ini" beside the program may name the address the client is downloaded
// from, and its SHA-256; without them the built-in ones are used.
#include "services/core/values.h"

// Reads "下载地址" of "更新信息" into the program-wide download address, and
// "SHA256" into the digest the downloaded client must match.
void ReadUpdateInfo();

// The address the download takes: the one from "up.ini" when it is not
// empty, else the built-in one.
Text ClientDownloadUrl();
