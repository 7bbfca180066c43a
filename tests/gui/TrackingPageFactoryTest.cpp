#include "dialogs/TrackingPageFactory.h"

#include "dialogs/Dialog.h"
#include "res/resource.h"
#include "support/FakeMessageBoxService.h"

#include <QFile>
#include <gtest/gtest.h>

namespace parcelo {
namespace {

bool WebEngineLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

// The engine loads with the first page, which tells a refused address through the program's services.
TEST(TrackingPageFactoryTest, ThePageLoadsOnFirstUseAndSharesTheProgramsServices) {
    EXPECT_FALSE(WebEngineLoaded());
    QString error;
    TrackingPageFactory* factory = TrackingPageFactory::Load(&error);
    ASSERT_NE(factory, nullptr) << error.toStdString();
    EXPECT_TRUE(WebEngineLoaded());
    EXPECT_EQ(TrackingPageFactory::Load(), factory);

    FakeMessageBoxService messages;
    const std::unique_ptr<CDialog> page = factory->Create(nullptr, u"javascript:alert(1)", u"한진", 2);
    EXPECT_EQ(page->DoModal(), IDCANCEL);
    ASSERT_EQ(messages.Calls().size(), 1U);
    EXPECT_TRUE(messages.Calls()[0].text.contains("ID03") && messages.Calls()[0].text.contains("한진"));

    // Without a known courier the message names none.
    messages.Clear();
    TrackingPageFactory::RunModal(nullptr, u"file:///etc/passwd", u"", -1);
    ASSERT_EQ(messages.Calls().size(), 1U);
    EXPECT_FALSE(messages.Calls()[0].text.contains("ID"));
}

} // namespace
} // namespace parcelo
