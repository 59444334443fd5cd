#pragma once

// Numbers of the string table's texts that name ports and say why one cannot
// be used: the port dialog's items and hints, and apctl's messages.
inline constexpr int IDS_PORT_ITEM = 57400;
inline constexpr int IDS_PORT_ITEM_UNNAMED = 57401;
inline constexpr int IDS_PORT_LINK = 57402;
inline constexpr int IDS_PORT_WITH_SERIAL = 57403;
inline constexpr int IDS_PORT_BUILT_IN = 57404;
inline constexpr int IDS_PORT_PCI = 57405;
inline constexpr int IDS_PORT_USB = 57406;
inline constexpr int IDS_PORT_USB_UNNAMED = 57407;
inline constexpr int IDS_PORT_SHORT = 57408;
inline constexpr int IDS_PORT_MADE_BY = 57409;
inline constexpr int IDS_PORT_SERIAL = 57410;
inline constexpr int IDS_PORT_USB_ID = 57411;
inline constexpr int IDS_PORT_PCI_ID = 57412;
inline constexpr int IDS_PORT_STABLE_NAME = 57413;
inline constexpr int IDS_PORT_DETAIL_SEPARATOR = 57414;
inline constexpr int IDS_HINT_JOIN_GROUP = 57415;
inline constexpr int IDS_HINT_LOG_IN_AGAIN = 57416;
inline constexpr int IDS_HINT_OWNER_ONLY = 57417;
inline constexpr int IDS_HINT_IN_USE = 57418;
inline constexpr int IDS_HINT_CANNOT_OPEN = 57419;
inline constexpr int IDS_HINT_NO_PORT = 57420;
inline constexpr int IDS_HINT_LEFT_OUT = 57421;
inline constexpr int IDS_HINT_PORT_SEPARATOR = 57422;
// A port chosen that could not be had when it was opened.
inline constexpr int IDS_PORT_GONE = 57456;
inline constexpr int IDS_PORT_IN_USE = 57457;
inline constexpr int IDS_HINT_ACCESS_LIST = 57460;
inline constexpr int IDS_HINT_SECURITY_POLICY = 57461;
inline constexpr int IDS_HINT_PERMISSION = 57462;
// A port left out for its number, with the platform's way to change it.
inline constexpr int IDS_HINT_OUT_OF_RANGE_WINDOWS = 57470;
inline constexpr int IDS_HINT_OUT_OF_RANGE_LINK = 57471;
// The port refused the access point's line settings when it was opened.
inline constexpr int IDS_PORT_SETTINGS_REFUSED = 57463;
// No answer to the identification while CTS stayed off.
inline constexpr int IDS_CTS_NEVER_ON = 57464;
// A network port that could not be reached, or whose connection ended.
inline constexpr int IDS_NETWORK_NAME_WRONG = 57472;
inline constexpr int IDS_NETWORK_CANNOT_CONNECT = 57473;
inline constexpr int IDS_NETWORK_LOST = 57474;
