// The library's seven GUIDs (and one internal interface identifier). Registrations made on users' machines refer to them, so they are
// fixed for good: never change, reorder or regenerate them. The type library source reads the
// same macros (widl preprocesses it), so the IDL and the C++ side cannot drift apart.
#ifndef SCTAV_COM_GUIDS_H
#define SCTAV_COM_GUIDS_H

#define SCTAV_UUID_LIBID 365792b3-be5a-4dac-947d-f9f2a222e6a1
#define SCTAV_UUID_CLSID_BILL afd508b0-d745-4fa3-bd8f-ec82a83fc03f
#define SCTAV_UUID_IID_BILL 69b7fc89-75a3-4811-b3f0-a88255d64e75
#define SCTAV_UUID_CLSID_LIST d43c88d3-fc0f-4718-a375-cf0102de1d45
#define SCTAV_UUID_IID_LIST 98309746-8352-4e85-89d9-11a23e72eb67
#define SCTAV_UUID_CLSID_LIST1 bdfd237e-4b67-46d3-b2c3-7144911cd1ac
#define SCTAV_UUID_IID_LIST1 20067af2-edb2-4deb-9c28-2c2f5845c8b2

// Internal to the process, never registered: the interface by which an IDispatch that this
// module serves over one of its own automation objects hands back that object.
#define SCTAV_UUID_IID_AXOBJECT 68934324-1952-4adf-b396-b3fe7f6e7ff0

// Type library version, as registered under HKCR\TypeLib\{LIBID}\1.0.
#define SCTAV_TYPELIB_MAJOR 1
#define SCTAV_TYPELIB_MINOR 0

#ifndef __WIDL__
#include "win32.h"

#define SCTAV_GUID_TEXT2(x) #x
#define SCTAV_GUID_TEXT(x) SCTAV_GUID_TEXT2(x)

namespace sccom {

namespace detail {
constexpr unsigned HexDigit(char c) {
  return c >= '0' && c <= '9' ? unsigned(c - '0')
         : c >= 'a' && c <= 'f' ? unsigned(c - 'a' + 10)
         : c >= 'A' && c <= 'F' ? unsigned(c - 'A' + 10)
                                : throw "not a hexadecimal digit";
}
constexpr unsigned long long Hex(const char* s, int digits) {
  unsigned long long v = 0;
  for (int i = 0; i < digits; ++i) v = v * 16 + HexDigit(s[i]);
  return v;
}
// "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" -> GUID, at compile time.
constexpr GUID ParseGuid(const char* s) {
  GUID g{};
  g.Data1 = static_cast<unsigned long>(Hex(s, 8));
  g.Data2 = static_cast<unsigned short>(Hex(s + 9, 4));
  g.Data3 = static_cast<unsigned short>(Hex(s + 14, 4));
  g.Data4[0] = static_cast<unsigned char>(Hex(s + 19, 2));
  g.Data4[1] = static_cast<unsigned char>(Hex(s + 21, 2));
  for (int i = 0; i < 6; ++i) g.Data4[2 + i] = static_cast<unsigned char>(Hex(s + 24 + 2 * i, 2));
  return g;
}
}  // namespace detail

#define SCTAV_GUID(x) ::sccom::detail::ParseGuid(SCTAV_GUID_TEXT(x))

inline constexpr GUID kLibId = SCTAV_GUID(SCTAV_UUID_LIBID);
inline constexpr GUID kClsidBill = SCTAV_GUID(SCTAV_UUID_CLSID_BILL);
inline constexpr GUID kIidBill = SCTAV_GUID(SCTAV_UUID_IID_BILL);
inline constexpr GUID kClsidList = SCTAV_GUID(SCTAV_UUID_CLSID_LIST);
inline constexpr GUID kIidList = SCTAV_GUID(SCTAV_UUID_IID_LIST);
inline constexpr GUID kClsidList1 = SCTAV_GUID(SCTAV_UUID_CLSID_LIST1);
inline constexpr GUID kIidList1 = SCTAV_GUID(SCTAV_UUID_IID_LIST1);
inline constexpr GUID kIidAxObject = SCTAV_GUID(SCTAV_UUID_IID_AXOBJECT);

}  // namespace sccom
#endif  // __WIDL__

#endif  // SCTAV_COM_GUIDS_H
