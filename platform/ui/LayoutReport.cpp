#include "platform/ui/LayoutReport.h"

#include <cstdlib>
#include <cstdio>
#include <fstream>

namespace ui {

void WriteLayoutReport(const std::string& title, int width, int height, const std::vector<ReportedControl>& controls)
{
    const char* path = std::getenv("KRVFLASH_UI_REPORT");
    if (!path || !*path)
        return;
    std::string temporary = std::string(path) + ".tmp";
    {
        std::ofstream report(temporary, std::ios::binary | std::ios::trunc);
        report << "window " << width << ' ' << height << ' ' << title << '\n';
        for (const ReportedControl& control : controls) {
            report << control.Name << ' ' << control.Kind << ' ' << control.X << ' ' << control.Y << ' '
                   << control.Width << ' ' << control.Height << ' ' << (control.Visible ? "visible" : "hidden") << ' '
                   << (control.Enabled ? "enabled" : "disabled") << ' ' << control.Text << '\n';
        }
    }
    // Readers never see half a report.
    std::remove(path);
    std::rename(temporary.c_str(), path);
}

} // namespace ui
