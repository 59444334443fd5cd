#pragma once

#include <string>
#include <vector>

// apctl list-ports: every COM number, of the ports there now and of the
// devices the COM number database keeps a number for, with the device, what
// it is, what identifies it and whether it is plugged in. Opens no port.
class CPortListing {
public:
    struct Row {
        int number = 0;
        std::string device;
        std::string description;
        // The database's key, or the link or UART the number comes from.
        std::string key;
        bool present = false;
        // What gives a port outside COM4 to COM20 a number the dialog
        // offers; empty for a number it offers.
        std::string hint;
    };

    // In the order of their numbers.
    static std::vector<Row> Rows();
    // The table, then the hints, a line each.
    static std::string Text(const std::vector<Row>& rows);
    // [{"number": 5, "name": "COM5", "device": …, "description": … or null,
    //   "key": …, "present": true, "offered": true, "hint": null}, …]
    static std::string Json(const std::vector<Row>& rows);
    // What list-ports prints: the table in the user's language, or the JSON,
    // whose texts are English in every language.
    static std::string Listing(bool json);
};
