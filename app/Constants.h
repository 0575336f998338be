#pragma once
// Program-wide constants, built during static initialisation before any other object of the program
// (the application object comes after them) and destroyed in reverse order at exit. All of them are
// defined in Constants.cpp, in declaration order. Several groups are never read; they are kept
// because they are part of the program's start-up.

#include <windows.h>

#include <string>

#include "framework/String.h"

// Windows version names.
extern const std::string g_strWindowsVersionNames[19];

// Account and request field names, in eight runs.
extern const std::string g_strAccountFields[20];
extern const std::string g_strDeviceFields[9];
extern const std::string g_strResultFields[6];
extern const std::string g_strStatusFields[2];
extern const std::string g_strLoginFields[7];
extern const std::string g_strFilterFields[4];
extern const std::string g_strReplyFields[5];
extern const std::string g_strProfileFields[11];

// Keys of the version document.
extern const std::string g_strKeyMinimumSupportedVersion;
extern const std::string g_strKeyMinimumStartupVersion;
extern const std::string g_strKeyVersion;
extern const std::string g_strKeyMd5;
extern const std::string g_strKeyPackUrl;
extern const std::string g_strKeyReadmeUrl;

// Request header and token names (with the two secret keys), action-log words, short values.
extern const std::string g_strHeaderNames[5];
extern const std::string g_strActionLogWords[15];
extern const std::string g_strShortValues[5];

// A window-message number registered by name during static initialisation; 0 when the registration
// failed. Reads as the UINT itself.
class RegisteredMessage
{
public:
    explicit RegisteredMessage(const wchar_t* name) : m_uMsg(RegisterWindowMessageW(name)) {}
    operator UINT() const { return m_uMsg; }

private:
    UINT m_uMsg;
};

// Registered window messages.
extern const RegisteredMessage g_uAppSingletonMsg;
extern const RegisteredMessage g_uAppMenuMsg;
extern const RegisteredMessage g_uAppSingletonMsg2;
extern const RegisteredMessage g_uNotificationMsg;
extern const RegisteredMessage g_uAppMenuMsg2;
extern const RegisteredMessage g_uAppBarMsg;
extern const RegisteredMessage g_uNotifyMsg;
extern const RegisteredMessage g_uUpdateMsg;
extern const RegisteredMessage g_uResponseMsg;

// Update addresses (plain HTTP). The version document is always g_strInstVersionUrl.
extern const std::string g_strBetaInstVersionUrl;
extern const std::string g_strDefaultInstVersionUrl;
extern const std::string g_strDownloadUrlRoot;
extern const std::string g_strDefaultInstallerUrlBase;
extern const std::string g_strInstVersionUrl;
extern const std::string g_strInstallerUrlBase;

extern const CString g_strInstallDirLabel;      // "安装目录：", drawn before the install folder
extern const CString g_strSemicolonSeparator;
