#pragma once

// Program-wide values that never change.
namespace global {
inline constexpr const char* kAppTitle = "Nimbra";
inline constexpr const char* kVersion = "1.33";
inline constexpr const char* kMutexName = "DiruDO";
inline constexpr const char* kDataFolderName = "Nimbra";
inline constexpr const char* kSettingsFileName = "dirudo.ini";
inline constexpr const char* kReportFileName = "report.txt";
// What the program changed outside its folder while hiding, kept until it is put back.
inline constexpr const char* kRestoreFileName = "restore.json";
inline constexpr const char* kSkinFileName = "default.skn";
inline constexpr const char* kDefaultInternalPort = "7070";
// Where Warden listens, on the internal port: the browsers' proxy.
inline constexpr const char* kWardenHost = "127.0.0.1";
// The name of the start-at-log-on entry.
inline constexpr const char* kStartupEntryName = "Nimbra";
} // namespace global
