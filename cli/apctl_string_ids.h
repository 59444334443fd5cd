#pragma once

// Numbers of the string table's texts that apctl itself says: its results,
// prompts and progress, and its errors. The port dialog's words for ports and
// why one cannot be used are in frontend/port_string_ids.h.

// Results, on standard output.
inline constexpr int IDS_APCTL_ANSWERS_ON = 57500;
inline constexpr int IDS_APCTL_DELETED_ONE = 57501;
inline constexpr int IDS_APCTL_DELETED_MANY = 57502;
inline constexpr int IDS_APCTL_PIN_CHANGED = 57503;
inline constexpr int IDS_APCTL_NAME_CHANGED = 57504;
inline constexpr int IDS_APCTL_STATUS_NAME = 57505;
inline constexpr int IDS_APCTL_STATUS_PAIRED = 57506;
inline constexpr int IDS_APCTL_NO_COM_NUMBERS = 57507;
inline constexpr int IDS_APCTL_NOT_PLUGGED_IN = 57508;

// Progress and prompts, on the terminal.
inline constexpr int IDS_APCTL_PROGRESS = 57510;
inline constexpr int IDS_APCTL_ASK_CURRENT_PIN = 57511;
inline constexpr int IDS_APCTL_ASK_NEW_PIN = 57512;
inline constexpr int IDS_APCTL_ASK_NEW_PIN_AGAIN = 57513;

// The command line.
inline constexpr int IDS_APCTL_SEE_HELP = 57520;
inline constexpr int IDS_APCTL_NO_COMMAND = 57521;
inline constexpr int IDS_APCTL_UNKNOWN_COMMAND = 57522;
inline constexpr int IDS_APCTL_UNKNOWN_OPTION = 57523;
inline constexpr int IDS_APCTL_OPTION_TWICE = 57524;
inline constexpr int IDS_APCTL_OPTION_NEEDS_VALUE = 57525;
inline constexpr int IDS_APCTL_OPTION_TAKES_NO_VALUE = 57526;
inline constexpr int IDS_APCTL_PORT_NEEDS_VALUE = 57527;
inline constexpr int IDS_APCTL_NO_PORT_NAME = 57528;
inline constexpr int IDS_APCTL_JSON_GOES_WITH = 57529;
inline constexpr int IDS_APCTL_LIST_NEXT = 57530;
inline constexpr int IDS_APCTL_LIST_LAST = 57531;
inline constexpr int IDS_APCTL_PINS_GO_WITH_PIN = 57532;
inline constexpr int IDS_APCTL_STDIN_GOES_WITH_PIN = 57533;
inline constexpr int IDS_APCTL_STDIN_OR_PINS = 57534;
inline constexpr int IDS_APCTL_UNEXPECTED_ARGUMENT = 57535;
inline constexpr int IDS_APCTL_DELETE_NEEDS_ADDRESSES = 57536;
inline constexpr int IDS_APCTL_NAME_TAKES_ONE = 57537;
inline constexpr int IDS_APCTL_TAKES_NO_PORT = 57538;
inline constexpr int IDS_APCTL_PIN_NEEDS_BOTH = 57539;
inline constexpr int IDS_APCTL_PIN_NEEDS_TERMINAL = 57540;
inline constexpr int IDS_APCTL_STDIN_TWO_LINES = 57541;
inline constexpr int IDS_APCTL_NO_PIN_ENTERED = 57542;
inline constexpr int IDS_APCTL_NEW_PINS_DIFFER = 57543;

// Arguments judged before the port is opened.
inline constexpr int IDS_APCTL_NOT_AN_ADDRESS = 57545;
inline constexpr int IDS_APCTL_PIN_TOO_LONG = 57546;
inline constexpr int IDS_APCTL_PIN_CONTROL = 57547;
inline constexpr int IDS_APCTL_NAME_TOO_LONG = 57548;
inline constexpr int IDS_APCTL_NAME_EMPTY = 57549;
inline constexpr int IDS_APCTL_NAME_CONTROL = 57550;
inline constexpr int IDS_APCTL_NAME_NOT_IN_CODE_PAGE = 57551;

// The port to talk on.
inline constexpr int IDS_APCTL_NO_PORT = 57555;
inline constexpr int IDS_APCTL_KEPT_NOT_PLUGGED_IN = 57556;
inline constexpr int IDS_APCTL_NO_SUCH_PORT = 57557;
inline constexpr int IDS_APCTL_NO_PORT_OPENS = 57558;
inline constexpr int IDS_APCTL_NO_PORT_OPENS_BECAUSE = 57559;
inline constexpr int IDS_APCTL_SEVERAL_PORTS = 57560;

// The conversation.
inline constexpr int IDS_APCTL_NO_ANSWER = 57565;
inline constexpr int IDS_APCTL_LIST_REFUSED = 57566;
inline constexpr int IDS_APCTL_LIST_LATE = 57567;
inline constexpr int IDS_APCTL_NOT_HELD = 57568;
inline constexpr int IDS_APCTL_DELETE_LATE = 57569;
inline constexpr int IDS_APCTL_DELETE_REFUSED = 57570;
inline constexpr int IDS_APCTL_PIN_LATE = 57571;
inline constexpr int IDS_APCTL_PIN_REFUSED = 57572;
inline constexpr int IDS_APCTL_NAME_LATE = 57573;
inline constexpr int IDS_APCTL_NAME_READ_REFUSED = 57574;
inline constexpr int IDS_APCTL_NAME_NOT_TEXT = 57575;
inline constexpr int IDS_APCTL_RENAME_LATE = 57576;
inline constexpr int IDS_APCTL_RENAME_REFUSED = 57577;
inline constexpr int IDS_APCTL_OUTPUT_FAILED = 57578;

// apctl ports: network ports under COM numbers.
inline constexpr int IDS_APCTL_PORTS_USAGE = 57579;
inline constexpr int IDS_APCTL_PORTS_NUMBER = 57580;
inline constexpr int IDS_APCTL_NETWORK_NAME = 57581;
inline constexpr int IDS_APCTL_PORTS_TAKES_NO_PORT = 57582;
inline constexpr int IDS_APCTL_PORTS_SYSTEM_NUMBER = 57583;
inline constexpr int IDS_APCTL_PORTS_KEPT_NUMBER = 57584;
inline constexpr int IDS_APCTL_PORTS_NUMBER_TAKEN = 57585;
inline constexpr int IDS_APCTL_PORTS_ADDRESS_TAKEN = 57586;
inline constexpr int IDS_APCTL_PORTS_NOT_THERE = 57587;
inline constexpr int IDS_APCTL_PORTS_NOT_SAVED = 57588;
inline constexpr int IDS_APCTL_PORTS_ADDED = 57589;
inline constexpr int IDS_APCTL_PORTS_ALREADY = 57590;
inline constexpr int IDS_APCTL_PORTS_REMOVED = 57591;
