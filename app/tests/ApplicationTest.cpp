// The application object on its own: the platform choice without a display
// and errors escaping Qt event handlers.
#include "app/model/ErrorReport.h"
#include "app/panel/OndrixApplication.h"

#include <QEvent>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>
#include <stdexcept>

namespace ondrix::app {
namespace {

class ThrowingObject : public QObject
{
  public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) throw std::runtime_error("thrown from an event handler");
        return QObject::event(e);
    }
};

TEST(ApplicationTest, ErrorsEscapingEventHandlersReachTheHandler)
{
    // No display here: without the offscreen choice Qt would abort.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    OndrixApplication::ChoosePlatform();
    EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "offscreen");
    setenv("QT_QPA_PLATFORM", "minimal", 1);
    OndrixApplication::ChoosePlatform(); // a choice made by the user stays
    EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "minimal");
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    int argc = 1;
    char name[] = "ondrix";
    char* argv[] = {name, nullptr};
    OndrixApplication app(argc, argv);

    std::vector<std::string> shown;
    const int owner = 0;
    SetErrorHandler(&owner, [&](const std::string& m, const std::string&) { shown.push_back(m); });

    ThrowingObject object;
    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QTimer::singleShot(0, [] { throw std::invalid_argument("thrown from a timer"); });
    QTimer::singleShot(0, [] { throw 42; });
    QTimer::singleShot(5, [] { QCoreApplication::quit(); });
    EXPECT_EQ(app.exec(), 0);
    EXPECT_EQ(shown, (std::vector<std::string>{"thrown from an event handler", "thrown from a timer",
                                               "Unknown error"}));

    // Another owner's clear leaves the handler in place.
    const int other = 0;
    ClearErrorHandler(&other);
    ReportError(std::make_exception_ptr(std::runtime_error("still here")));
    EXPECT_EQ(shown.back(), "still here");
    ClearErrorHandler(&owner);
}

} // namespace
} // namespace ondrix::app
