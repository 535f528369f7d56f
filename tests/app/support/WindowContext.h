#pragma once

#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "toolkit/AppContext.h"

namespace kalmora::test {

// What a window needs of the program, made for one test: a folder of its own, the settings file and
// the settings, a scripted screen and a window opener that opens nothing.
struct WindowContext {
    TempDir Dir;
    SettingsFile IniFile;
    Settings Config;
    ScriptedUserInterface Ui;
    ScriptedWindowOpener Windows;
    AppContext Context{IniFile, Config, Ui, Windows};
};

}  // namespace kalmora::test
