@echo off
title Tavrin Uninstaller
echo ===============================
echo    Tavrin 卸载程序
echo ===============================
echo.

REM 检查是否以管理员身份运行
net session >nul 2>&1
if %errorLevel% neq 0 (
    echo 【错误】请右键点击此脚本，选择"以管理员身份运行"。
    pause
    exit /b 1
)

echo 1. 正在结束 tavrin.exe 进程...
taskkill /f /im tavrin.exe >nul 2>&1
if %errorLevel% equ 0 (
    echo    已成功结束 tavrin.exe 进程。
) else (
    echo    tavrin.exe 进程未运行或无需结束。
)


echo 1. 正在结束 quellrun.exe 进程...
taskkill /f /im quellrun.exe >nul 2>&1
if %errorLevel% equ 0 (
    echo    已成功结束 quellrun.exe 进程。
) else (
    echo    quellrun.exe 进程未运行或无需结束。
)

echo.
echo 2. 正在删除桌面快捷方式...
set "DESKTOP=%USERPROFILE%\Desktop"
set "QUICK_LAUNCH=%APPDATA%\Microsoft\Internet Explorer\Quick Launch"
set "PUBLIC_DESKTOP=%PUBLIC%\Desktop"

del /f /q "%DESKTOP%\Tavrin 端口映射.lnk" 2>nul
if exist "%DESKTOP%\Tavrin 端口映射.lnk" (
    echo    【警告】无法删除当前用户的桌面快捷方式。
) else (
    echo    已删除当前用户的桌面快捷方式。
)

REM 尝试删除公共桌面和快速启动栏的快捷方式（如果存在）
del /f /q "%PUBLIC_DESKTOP%\Tavrin 端口映射.lnk" 2>nul
del /f /q "%QUICK_LAUNCH%\Tavrin 端口映射.lnk" 2>nul

echo.
echo 3. 正在删除开始菜单快捷方式...
set "START_MENU_ALL=%PROGRAMDATA%\Microsoft\Windows\Start Menu\Programs"
set "START_MENU_USER=%APPDATA%\Microsoft\Windows\Start Menu\Programs"
set "START_MENU_ROOT=%APPDATA%\Microsoft\Windows\Start Menu"

REM 删除所有用户的开始菜单快捷方式（需要管理员权限）
if exist "%START_MENU_ALL%\Tavrin" (
    rd /s /q "%START_MENU_ALL%\Tavrin" 2>nul
    if exist "%START_MENU_ALL%\Tavrin" (
        echo    【警告】无法删除所有用户开始菜单快捷方式。
    ) else (
        echo    已删除所有用户开始菜单快捷方式。
    )
)

REM 删除当前用户的开始菜单程序目录快捷方式
if exist "%START_MENU_USER%\Tavrin" (
    rd /s /q "%START_MENU_USER%\Tavrin" 2>nul
    if exist "%START_MENU_USER%\Tavrin" (
        echo    【警告】无法删除当前用户开始菜单程序目录快捷方式。
    ) else (
        echo    已删除当前用户开始菜单程序目录快捷方式。
    )
)

REM 删除当前用户的开始菜单根目录快捷方式（你提到的位置）
if exist "%START_MENU_ROOT%\Tavrin 端口映射.lnk" (
    del /f /q "%START_MENU_ROOT%\Tavrin 端口映射.lnk" 2>nul
    if exist "%START_MENU_ROOT%\Tavrin 端口映射.lnk" (
        echo    【警告】无法删除开始菜单根目录快捷方式。
    ) else (
        echo    已删除开始菜单根目录快捷方式。
    )
)

REM 删除可能存在的单个快捷方式文件（旧版本可能这样创建）
del /f /q "%START_MENU_ALL%\Tavrin 端口映射.lnk" 2>nul
del /f /q "%START_MENU_USER%\Tavrin 端口映射.lnk" 2>nul

echo.
echo 4. 正在清理注册表信息...
echo    正在清理64位注册表位置...
reg delete "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\tavrin" /f 2>nul
if %errorlevel% equ 0 (
    echo    [成功] 已删除64位注册表卸载信息。
) else (
    echo    [信息] 64位注册表项不存在。
)

echo    正在清理32位注册表位置（WOW6432Node）...
reg delete "HKLM\SOFTWARE\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\tavrin" /f 2>nul
if %errorlevel% equ 0 (
    echo    [成功] 已删除32位注册表卸载信息。
) else (
    echo    [信息] 32位注册表项不存在。
)

echo    正在清理当前用户注册表位置...
reg delete "HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\tavrin" /f 2>nul
reg delete "HKCU\SOFTWARE\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\tavrin" /f 2>nul

REM 清理可能存在的其他相关注册表项
echo    正在清理其他相关注册表项...
reg delete "HKLM\SOFTWARE\tavrin" /f 2>nul >nul
reg delete "HKLM\SOFTWARE\WOW6432Node\tavrin" /f 2>nul >nul
reg delete "HKCU\SOFTWARE\tavrin" /f 2>nul >nul
reg delete "HKCU\SOFTWARE\WOW6432Node\tavrin" /f 2>nul >nul

echo.
echo 5. 正在删除程序文件...
REM 获取批处理文件所在的目录
set "UNINSTALL_DIR=%~dp0"
echo    正在删除目录: %UNINSTALL_DIR%

REM 先尝试正常删除
rd /s /q "%UNINSTALL_DIR%" 2>nul

REM 如果删除失败（例如文件被占用），使用延迟删除技巧
if exist "%UNINSTALL_DIR%" (
    echo    【信息】部分文件可能被占用，正在安排延迟删除...
    timeout /t 2 /nobreak >nul
    powershell -Command "Start-Sleep -Milliseconds 500; Remove-Item -Path '%UNINSTALL_DIR%' -Recurse -Force" 2>nul
)

REM 再次检查是否删除成功
if exist "%UNINSTALL_DIR%" (
    echo    【错误】无法完全删除程序目录。请手动删除: %UNINSTALL_DIR%
) else (
    echo    程序文件已成功删除。
)

echo.
echo ===============================
echo    卸载完成！
echo    注册表信息和程序文件已清理。
echo    感谢您使用 Tavrin。
echo ===============================

REM 等待用户查看结果
echo.
echo 5秒后自动退出...
timeout /t 5 >nul
exit