#include "tests/gui/layout_fit.h"

#include <gtk/gtk.h>

namespace {
std::string Misfit(GtkLabel* label, const char* what, int wanted, int given)
{
    return "\"" + std::string(gtk_label_get_text(label)) + "\": " + what + " " + std::to_string(wanted) +
           " in " + std::to_string(given);
}

void CheckLabel(GtkLabel* label, std::vector<std::string>& misfits)
{
    if (!*gtk_label_get_text(label))
        return;
    GtkWidget* widget = GTK_WIDGET(label);
    GtkAllocation given;
    gtk_widget_get_allocation(widget, &given);
    // The preferred sizes count the margins; the allocation does not.
    const int across = gtk_widget_get_margin_start(widget) + gtk_widget_get_margin_end(widget);
    const int down = gtk_widget_get_margin_top(widget) + gtk_widget_get_margin_bottom(widget);
    if (pango_layout_is_ellipsized(gtk_label_get_layout(label)))
        misfits.push_back(Misfit(label, "ellipsized, width", given.width, given.width));
    int minimum = 0, natural = 0;
    if (gtk_label_get_line_wrap(label)) {
        gtk_widget_get_preferred_height_for_width(widget, given.width + across, &minimum, &natural);
        if (natural - down > given.height)
            misfits.push_back(Misfit(label, "wrapped height", natural - down, given.height));
    } else {
        gtk_widget_get_preferred_width(widget, &minimum, &natural);
        if (natural - across > given.width)
            misfits.push_back(Misfit(label, "width", natural - across, given.width));
    }
}

void Walk(GtkWidget* widget, gpointer misfits)
{
    if (!gtk_widget_get_mapped(widget))
        return;
    if (GTK_IS_LABEL(widget))
        CheckLabel(GTK_LABEL(widget), *static_cast<std::vector<std::string>*>(misfits));
    // With the internal children: a dialog's buttons, a notebook's tab labels.
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(GTK_CONTAINER(widget), Walk, misfits);
}
}  // namespace

std::vector<std::string> CLayoutFit::Misfits(Gtk::Window& window)
{
    std::vector<std::string> misfits;
    Walk(GTK_WIDGET(window.gobj()), &misfits);
    const int width = window.get_allocated_width(), height = window.get_allocated_height();
    if (width > kScreenWidth || height > kScreenHeight)
        misfits.push_back("the window is " + std::to_string(width) + "×" + std::to_string(height));
    return misfits;
}
