#pragma once
// The installation itself, from the click on 快速安装 to the started client:
//   OnInstallClicked (user-interface thread) checks the folder, turns to the
//     progress page, shows the installation window and starts the animation
//     (animation.h) and InstallSequence;
//   InstallSequence (install thread) prepares the folder, removes a previous
//     installation (removal.h) and starts the download;
//   OnDownloadEvent (the engine's task thread) reports progress and, when the
//     task ends, starts CompleteInstallation;
//   CompleteInstallation (completion thread) checks the download, writes the
//     uninstall files, waits for the shortcuts, registers the product
//     (registration.h), starts the client and ends the program.
#include <windows.h>

#include <cstdint>

DWORD WINAPI InstallSequence(void*);
std::int32_t WINAPI OnDownloadEvent(std::int32_t event, std::intptr_t connection, std::int32_t value1,
                                    std::int32_t value2, void* task);
DWORD WINAPI CompleteInstallation(void*);
