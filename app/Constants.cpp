#include "app/Constants.h"

// Host names are build-time settings.
#ifndef QUARN_UPDATE_HOST
#error QUARN_UPDATE_HOST must name the update server
#endif
#ifndef QUARN_DOWNLOAD_HOST
#error QUARN_DOWNLOAD_HOST must name the download host
#endif

// C++ orders namespace-scope objects only within one translation unit. These all share one priority,
// ahead of every object without one (the application object among them), so they are built first, in
// the order written here, and destroyed last, in the reverse order.
#define QUARN_CONSTANT __attribute__((init_priority(200)))

QUARN_CONSTANT const std::string g_strWindowsVersionNames[19] = {
    "Win32s", "WindowsFuture", "WindowsUnknow", "Windows95", "Windows98", "WindowsMillenniumEdition",
    "WindowsNT4", "Windows2000", "WindowsXP", "WindowsVista", "Windows7", "Windows8", "Windows81",
    "Windows10", "WindowsServer2003", "WindowsServer2008", "WindowsServer2008R2", "WindowsServer2012",
    "WindowsServer2012R2",
};

QUARN_CONSTANT const std::string g_strAccountFields[20] = {
    "userid", "username", "password", "token", "userlevel", "usermoney", "usercurrank", "usernextrank",
    "usermoney", "userincoming", "userbalance", "invitationcode", "invitationquota", "invitationbonus",
    "invitationurl", "invitationshareweibo", "invitationshareqqim", "invitationshareqqzone",
    "invitationquotatext", "invitationbonustext",
};
QUARN_CONSTANT const std::string g_strDeviceFields[9] = {
    "deviceNo", "deviceType", "os", "imei", "distchannel", "invitationcode", "version", "signstamp",
    "timestamp",
};
QUARN_CONSTANT const std::string g_strResultFields[6] = {
    "resultCode", "resultMessage", "errorcode", "message", "status", "resultNotice",
};
QUARN_CONSTANT const std::string g_strStatusFields[2] = {"status", "message"};
QUARN_CONSTANT const std::string g_strLoginFields[7] = {
    "userid", "username", "password", "token", "usermoney", "userlevel", "ticket",
};
QUARN_CONSTANT const std::string g_strFilterFields[4] = {"addFilter", "addFilterKW", "domain", "path"};
QUARN_CONSTANT const std::string g_strReplyFields[5] = {"ok", "error", "status", "message", "errorCode"};
QUARN_CONSTANT const std::string g_strProfileFields[11] = {
    "portraiturl", "userId", "userName", "userLevel", "allCashIncome", "yesterdayCashIncome", "balance",
    "score", "nextLevelScore", "username", "token",
};

QUARN_CONSTANT const std::string g_strKeyMinimumSupportedVersion = "minimumsupportedversion";
QUARN_CONSTANT const std::string g_strKeyMinimumStartupVersion = "minimumstartupversion";
QUARN_CONSTANT const std::string g_strKeyVersion = "version";
QUARN_CONSTANT const std::string g_strKeyMd5 = "md5";
QUARN_CONSTANT const std::string g_strKeyPackUrl = "packurl";
QUARN_CONSTANT const std::string g_strKeyReadmeUrl = "readmeurl";

QUARN_CONSTANT const std::string g_strHeaderNames[5] = {
    "meta", "X-Token", "7c4e19a2d05b8f36e1a94c0d72b5e83f", "e06b3d9f41c27a58b9d04e6f13a8c275", "",
};
QUARN_CONSTANT const std::string g_strActionLogWords[15] = {
    "ShowADLog", "ActionLog", "", "IMPRESSION", "Action", "START", "STOP", "LOGON", "DOWNLOAD", "UPGRADE",
    "SEARCH", "CLICK", "PV", "MATCHPV", "USERCLICK",
};
QUARN_CONSTANT const std::string g_strShortValues[5] = {"success", "failed", "0", "10", "90"};

QUARN_CONSTANT const RegisteredMessage g_uAppSingletonMsg(L"APP_SINGLETON{3ADDC7E7-20C5-495F-BD45-71A89D973E84}");
QUARN_CONSTANT const RegisteredMessage g_uAppMenuMsg(L"APP_MENU{DBD873C2-9D90-4321-BC98-DEEB8269D07A}");
QUARN_CONSTANT const RegisteredMessage g_uAppSingletonMsg2(L"APP_SINGLETON{C798026B-2E31-40FB-B7FF-48C6A0112505}");
QUARN_CONSTANT const RegisteredMessage g_uNotificationMsg(L"NOTIFICATION{3B1973B3-D737-4F4E-9BE6-1CDBF8D71F15}");
QUARN_CONSTANT const RegisteredMessage g_uAppMenuMsg2(L"APP_MENU{61046F45-D42C-4EDC-A203-E69F74917286}");
QUARN_CONSTANT const RegisteredMessage g_uAppBarMsg(L"APPBARMSG_{33AD6010-4ED2-4E74-866D-497786213094}");
QUARN_CONSTANT const RegisteredMessage g_uNotifyMsg(L"NOTIFY_{46141CCB-FEE0-4376-8652-F166E27B8F3A}");
QUARN_CONSTANT const RegisteredMessage g_uUpdateMsg(L"UPDATE{F3426B79-52AD-462A-B998-C4776196F226}");
QUARN_CONSTANT const RegisteredMessage g_uResponseMsg(L"RESPONSE{67975390-C878-4743-AA3C-5829FD72A3AB}");

QUARN_CONSTANT const std::string g_strBetaInstVersionUrl = "http://" QUARN_UPDATE_HOST "/download/beta_instversion.json";
QUARN_CONSTANT const std::string g_strDefaultInstVersionUrl = "http://" QUARN_UPDATE_HOST "/download/instversion.json";
QUARN_CONSTANT const std::string g_strDownloadUrlRoot = "http://" QUARN_UPDATE_HOST "/download";
QUARN_CONSTANT const std::string g_strDefaultInstallerUrlBase = "http://" QUARN_DOWNLOAD_HOST "/quarn/exe/quarn";
QUARN_CONSTANT const std::string g_strInstVersionUrl = g_strDefaultInstVersionUrl;
QUARN_CONSTANT const std::string g_strInstallerUrlBase = g_strDefaultInstallerUrlBase;

QUARN_CONSTANT const CString g_strInstallDirLabel = L"\u5b89\u88c5\u76ee\u5f55\uff1a";
QUARN_CONSTANT const CString g_strSemicolonSeparator = L"; ";
