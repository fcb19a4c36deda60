#pragma once

#include <string>
// The wedge's stored settings: per user, application "Vantro", group "Settings", every
// value as decimal text; a missing or unreadable value reads as 0.

#include <string>

int ReadSetting(const char* name);
void WriteSetting(const char* name, int value);
// Text values (the portal's restore token); a missing value reads as "". Written at once.
std::string ReadTextSetting(const char* name);
void WriteTextSetting(const char* name, const std::string& value);
// The device a user chose for COMn (group "Ports", key "COM<n>"); empty removes the choice.
void WritePortChoice(int comNumber, const std::string& path);
// Writes what is pending to disk; the settings object is otherwise flushed when dropped.
void SyncSettings();
