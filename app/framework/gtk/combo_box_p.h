#pragma once

#include <gtkmm/comboboxtext.h>

#include <functional>
#include <vector>

#include "app/framework/combo_box.h"

// The drop-down's GTK side: a combo box of texts, each row's number kept
// as its id too.
struct CComboBox::Impl {
    Gtk::ComboBoxText* pCombo = nullptr;
    std::vector<int> data;
    bool bQuiet = false;
};
