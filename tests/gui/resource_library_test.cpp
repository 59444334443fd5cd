// The resource library as the program sees it: loaded from beside the
// executable, then asked for templates, texts and the icon by number.
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Control {
    const char* id;
    GType type;
};

struct Template {
    int number;
    std::vector<Control> controls;  // the root ("dialog" or "page") first
};

std::vector<Template> Templates()
{
    return {
        {110, {{"dialog", GTK_TYPE_DIALOG}, {"1001", GTK_TYPE_COMBO_BOX_TEXT}, {"1002", GTK_TYPE_LABEL},
               {"1004", GTK_TYPE_LABEL}, {"1", GTK_TYPE_BUTTON}, {"2", GTK_TYPE_BUTTON}}},
        {120, {{"dialog", GTK_TYPE_DIALOG}, {"1", GTK_TYPE_BUTTON}}},
        {121, {{"dialog", GTK_TYPE_DIALOG}, {"caption", GTK_TYPE_HEADER_BAR},
               {"1000", GTK_TYPE_NOTEBOOK}}},
        {122, {{"page", GTK_TYPE_CONTAINER}, {"1016", GTK_TYPE_TREE_VIEW}, {"1018", GTK_TYPE_LABEL},
               {"1003", GTK_TYPE_BUTTON}}},
        {123, {{"page", GTK_TYPE_CONTAINER}, {"1005", GTK_TYPE_ENTRY}, {"1006", GTK_TYPE_ENTRY},
               {"1009", GTK_TYPE_ENTRY}, {"1015", GTK_TYPE_BUTTON}}},
        {125, {{"page", GTK_TYPE_CONTAINER}, {"1017", GTK_TYPE_ENTRY}, {"1013", GTK_TYPE_BUTTON}}},
        {126, {{"dialog", GTK_TYPE_DIALOG}, {"1017", GTK_TYPE_ENTRY}, {"1", GTK_TYPE_BUTTON},
               {"2", GTK_TYPE_BUTTON}}},
        {127, {{"window", GTK_TYPE_WINDOW}, {"1020", GTK_TYPE_LABEL}}},
    };
}

bool IsNumeric(const std::string& id)
{
    return !id.empty() && std::all_of(id.begin(), id.end(), [](unsigned char c) { return std::isdigit(c); });
}

class ResourceLibraryTest : public testing::Test {
protected:
    // The bundle registers itself when the library loads; it must never be
    // unloaded while its data is in use, hence RTLD_NODELETE.
    static void SetUpTestSuite()
    {
        const auto path = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "liblidany.so";
        if (!dlopen(path.c_str(), RTLD_NOW | RTLD_NODELETE))
            s_loadError = dlerror();
    }

    void SetUp() override { ASSERT_EQ(s_loadError, "") << "liblidany.so did not load"; }

    static Glib::RefPtr<Gtk::Builder> Load(int number)
    {
        return Gtk::Builder::create_from_resource("/lidany/dialog/" + std::to_string(number) + ".ui");
    }

    static inline std::string s_loadError;
};

TEST_F(ResourceLibraryTest, EveryTemplateBuildsWithItsControlsAndNoOtherNumericIds)
{
    for (const auto& tmpl : Templates()) {
        SCOPED_TRACE("template " + std::to_string(tmpl.number));
        Glib::RefPtr<Gtk::Builder> builder;
        try {
            builder = Load(tmpl.number);
        } catch (const Glib::Error& e) {
            ADD_FAILURE() << e.what();
            continue;
        }

        std::set<std::string> expected;
        for (const auto& control : tmpl.controls) {
            const auto object = builder->get_object(control.id);
            ASSERT_TRUE(object) << "no object " << control.id;
            EXPECT_TRUE(G_TYPE_CHECK_INSTANCE_TYPE(object->gobj(), control.type))
                << control.id << " is a " << G_OBJECT_TYPE_NAME(object->gobj()) << ", not a "
                << g_type_name(control.type);
            if (IsNumeric(control.id))
                expected.insert(control.id);
        }

        // The program finds controls by number: a stray numeric id would be
        // a control it could pick up by mistake.
        std::set<std::string> numeric;
        for (const auto& object : builder->get_objects())
            if (GTK_IS_BUILDABLE(object->gobj()))
                if (const char* name = gtk_buildable_get_name(GTK_BUILDABLE(object->gobj())); name && IsNumeric(name))
                    numeric.insert(name);
        EXPECT_EQ(numeric, expected);
    }
}

TEST_F(ResourceLibraryTest, ModalTemplatesAreHiddenDialogsWithOkAndCancelResponses)
{
    struct Modal {
        int number;
        bool ok;
        bool cancel;
    };
    for (const auto& modal : {Modal{110, true, true}, Modal{120, true, false}, Modal{121, false, false},
                              Modal{126, true, true}}) {
        SCOPED_TRACE("template " + std::to_string(modal.number));
        const auto builder = Load(modal.number);
        Gtk::Dialog* dialog = nullptr;
        builder->get_widget("dialog", dialog);
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(dialog->get_visible());

        if (modal.ok) {
            Gtk::Button* ok = nullptr;
            builder->get_widget("1", ok);
            ASSERT_NE(ok, nullptr);
            EXPECT_EQ(dialog->get_response_for_widget(*ok), Gtk::RESPONSE_OK);
            EXPECT_TRUE(ok->get_can_default());
            EXPECT_TRUE(ok->has_default()) << "Enter would not accept the dialog";
        }
        if (modal.cancel) {
            Gtk::Button* cancel = nullptr;
            builder->get_widget("2", cancel);
            ASSERT_NE(cancel, nullptr);
            EXPECT_EQ(dialog->get_response_for_widget(*cancel), Gtk::RESPONSE_CANCEL);
        }
        delete dialog;
    }
}

TEST_F(ResourceLibraryTest, MainWindowCaptionIsItsTitleBar)
{
    const auto builder = Load(121);
    Gtk::Dialog* dialog = nullptr;
    Gtk::HeaderBar* caption = nullptr;
    builder->get_widget("dialog", dialog);
    builder->get_widget("caption", caption);
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(dialog->get_titlebar(), caption);
    EXPECT_TRUE(caption->get_show_close_button());
    delete dialog;
}

TEST_F(ResourceLibraryTest, PageRootsAreHiddenChildWidgets)
{
    for (int number : {122, 123, 125}) {
        SCOPED_TRACE("template " + std::to_string(number));
        const auto builder = Load(number);
        Gtk::Widget* page = nullptr;
        builder->get_widget("page", page);
        ASSERT_NE(page, nullptr);
        EXPECT_FALSE(GTK_IS_WINDOW(page->gobj())) << "a page must go inside the notebook";
        EXPECT_FALSE(page->get_visible()) << "the main window shows pages itself";
    }
}

TEST_F(ResourceLibraryTest, StringTableHoldsExactlyTheNumbersAskedFor)
{
    const auto bytes = Gio::Resource::lookup_data_global("/lidany/strings.ini");
    gsize size = 0;
    const auto* data = static_cast<const char*>(bytes->get_data(size));
    Glib::KeyFile strings;
    ASSERT_TRUE(strings.load_from_data(std::string(data, size)));

    // Inclusive ranges of string numbers.
    const std::pair<int, int> ranges[] = {
        {57345, 57345},
        {57349, 57364},
        // The port dialog's item texts, details and hints.
        {57400, 57422},
        // The paired devices' count, menu and column headings, and what the program waits for.
        {57440, 57447},
        // A PIN field holding a character that cannot be sent.
        {57450, 57451},
        // Start-up: a port that cannot be had, a second start.
        {57455, 57458},
        // Why a port is shut: an access list, a security policy, or no more known;
        // line settings refused; CTS never on.
        {57460, 57464},
        // A port left out for its number, and how to renumber it (Windows, Linux);
        // a network port not reached or lost.
        {57470, 57474},
        // apctl: results, progress and prompts, command-line errors, arguments,
        // the port, the conversation.
        {57500, 57508},
        {57510, 57513},
        {57520, 57543},
        {57545, 57551},
        {57555, 57560},
        {57565, 57591},
    };
    std::set<std::string> wanted;
    for (const auto& [first, last] : ranges)
        for (int n = first; n <= last; ++n)
            wanted.insert(std::to_string(n));

    std::set<std::string> present;
    for (const auto& key : strings.get_keys("strings")) {
        present.insert(key);
        EXPECT_NE(strings.get_string("strings", key), "") << "string " << key << " is empty";
    }
    EXPECT_EQ(present, wanted);
}

TEST_F(ResourceLibraryTest, IconLoadsAsPixbufAndTheAboutBoxShowsIt)
{
    const auto icon = Gdk::Pixbuf::create_from_resource("/lidany/icon/100.png");
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->get_width(), 64);
    EXPECT_EQ(icon->get_height(), 64);

    // A resource path that does not resolve leaves the "missing image" icon.
    const auto builder = Load(120);
    Gtk::Image* image = nullptr;
    builder->get_widget("icon", image);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->get_storage_type(), Gtk::IMAGE_PIXBUF);
    Gtk::Dialog* dialog = nullptr;
    builder->get_widget("dialog", dialog);
    delete dialog;
}

} // namespace
