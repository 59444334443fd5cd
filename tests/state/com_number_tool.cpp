// Gives a key the lowest free COM number in the user's table, as apconfig and
// apctl do for a new device, and prints the number; the table is found as the
// programs find it ($XDG_STATE_HOME).
#include <algorithm>
#include <cstdio>
#include <string>

#include "serial/posix/com_number_store.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: com_number_tool KEY\n");
        return 2;
    }
    const std::string key = argv[1];
    CComNumberStore store;
    const CComNumberStore::Table table = store.Update([&key](CComNumberStore::Table& t) {
        if (std::any_of(t.begin(), t.end(), [&key](const ComNumberEntry& e) { return e.key == key; }))
            return false;
        int number = 4;
        while (std::any_of(t.begin(), t.end(), [number](const ComNumberEntry& e) { return e.number == number; }))
            ++number;
        if (number > 20)
            return false;
        t.push_back({number, key, 1, "/dev/" + key, key});
        return true;
    });
    for (const ComNumberEntry& entry : table)
        if (entry.key == key)
            std::printf("%d\n", entry.number);
    return 0;
}
