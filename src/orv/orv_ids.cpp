#include "orv/orv_ids.h"

namespace {

const char* const kIdTexts[ORV_ID_COUNT] = {
    "{6A0C3F52-1B7E-4C19-9D35-0E41A7B2C801}",  // AppID
    "{6A0C3F52-1B7E-4C19-9D35-0E41A7B2C811}",  // ORV.UI
    "{6A0C3F52-1B7E-4C19-9D35-0E41A7B2C812}",  // ORV.Host
    "{6A0C3F52-1B7E-4C19-9D35-0E41A7B2C813}",  // ORV.Frame
    "{6A0C3F52-1B7E-4C19-9D35-0E41A7B2C814}",  // ORV.Api
    "{6A0C3F52-1B7E-4C19-9D35-0E41A7B2C815}",  // Orvres.ORVCache
    "{6A0C3F52-1B7E-4C19-9D35-0E41A7B2C816}",  // ORV.Install
    "{6A0C3F52-1B7E-4C19-9D35-0E41A7B2C817}",  // ORV.Collection
    "{6A0C3F52-1B7E-4C19-9D35-0E41A7B2C818}",  // ORV.SecureUI
    "{6A0C3F52-1B7E-4C19-9D35-0E41A7B2C819}",  // ORV.SecureFrame
    "{6A0C3F52-1B7E-4C19-9D35-0E41A7B2C81A}",  // ORV.SecureApi
    "{6A0C3F52-1B7E-4C19-9D35-0E41A7B2C81B}",  // ORV.SecureInstall
};

}  // namespace

const char* OrvIdText(OrvId id) {
  if (id < 0 || id >= ORV_ID_COUNT) return "";
  return kIdTexts[id];
}

const char kOrvHostProgId[] = "ORV.Host";
const wchar_t kOrvHostProgIdWide[] = L"ORV.Host";
const char kOrvSecureApiProgId[] = "ORV.SecureApi";
const char* const kOrvHostItems[2] = {"QHost", "QHostNew"};
