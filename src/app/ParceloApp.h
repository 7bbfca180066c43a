#pragma once

#include <functional>
#include <memory>

namespace parcelo {

class CMainFrame;
class FontWarmUp;
struct SessionPaths;

// The application object: sets up the profile's names, creates and shows the
// main window, and handles the about command. The QApplication itself is made
// by main() before this object.
class CParceloApp {
public:
    CParceloApp();
    ~CParceloApp();
    CParceloApp(const CParceloApp&) = delete;
    CParceloApp& operator=(const CParceloApp&) = delete;

    // Creates and shows the main window on the session of `paths`; false when it could
    // not be built, and the program should end. `fonts`, when given, is waited for
    // before the first text.
    bool InitInstance(const SessionPaths& paths, const FontWarmUp* fonts = nullptr);

    // The commands the application handles itself (the about box); false for others.
    bool OnCommand(int command);
    void OnAppAbout();

    // Runs the about box; nothing happens while none is set.
    void SetAboutBox(std::function<void()> aboutBox) { m_aboutBox = std::move(aboutBox); }

    CMainFrame* MainFrame() const { return m_mainFrame.get(); }

private:
    void ConnectDialogs();

    std::unique_ptr<CMainFrame> m_mainFrame;
    std::function<void()> m_aboutBox;
};

} // namespace parcelo
