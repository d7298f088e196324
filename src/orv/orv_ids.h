#pragma once
// Identifier values of the ORV client, all in one place: its application id, the class ids
// of its eleven component classes and the dispatch id of its host's stop method.

// Slots of the identifiers, in the order the removal walks the component classes.
enum OrvId {
  ORV_ID_NONE = -1,
  ORV_ID_APP = 0,          // the client's AppID
  ORV_ID_UI,               // "ORV.UI"
  ORV_ID_HOST,             // "ORV.Host": the host, a local server
  ORV_ID_FRAME,            // "ORV.Frame"
  ORV_ID_API,              // "ORV.Api"
  ORV_ID_CACHE,            // "Orvres.ORVCache"
  ORV_ID_INSTALL,          // "ORV.Install"
  ORV_ID_COLLECTION,       // "ORV.Collection"
  ORV_ID_SECURE_UI,        // "ORV.SecureUI"
  ORV_ID_SECURE_FRAME,     // "ORV.SecureFrame"
  ORV_ID_SECURE_API,       // "ORV.SecureApi"
  ORV_ID_SECURE_INSTALL,   // "ORV.SecureInstall"
  ORV_ID_COUNT
};

// The identifier of a slot as a 38-character braced GUID; "" for ORV_ID_NONE.
const char* OrvIdText(OrvId id);

// The host's ProgID, the ProgID whose key means that the secure API is installed, and the
// running-object-table items the two host generations register under.
extern const char kOrvHostProgId[];
extern const wchar_t kOrvHostProgIdWide[];
extern const char kOrvSecureApiProgId[];
extern const char* const kOrvHostItems[2];  // "QHost", "QHostNew"

// The dispatch id of the host's stop method; it takes one VT_I2 argument.
const long kHostStopMethod = 10012;
const short kHostStopArgument = -1;
