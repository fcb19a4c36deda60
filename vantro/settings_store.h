#pragma once
// The wedge's stored settings: per user, application "Vantro", group "Settings", every
// value as decimal text; a missing or unreadable value reads as 0.

int ReadSetting(const char* name);
void WriteSetting(const char* name, int value);
// Writes what is pending to disk; the settings object is otherwise flushed when dropped.
void SyncSettings();
