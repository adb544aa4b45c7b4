// The parts each document window is made with: the frame's tab strip, which remembers the sizes
// of its tabs, and the style's title-bar icons, made once and shared by every sub-window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTabBar>
#include <memory>

#include "gui/frame/tab_strip.h"
#include "gui/services/shared_icon_style.h"

namespace norv::qt {
namespace {

// The strip and a plain tab bar given the same tabs, texts and current tab lay them out alike.
TEST(TabStrip, LaysTabsOutAsAPlainTabBarDoes) {
    TabStrip strip;
    QTabBar plain;
    for (QTabBar* bar : {static_cast<QTabBar*>(&strip), &plain}) {
        bar->setExpanding(false);
        bar->setDocumentMode(true);
        bar->resize(4000, 30);
    }
    auto same = [&](const char* when) {
        ASSERT_EQ(strip.count(), plain.count()) << when;
        for (int i = 0; i < strip.count(); ++i)
            EXPECT_EQ(strip.tabRect(i), plain.tabRect(i)) << when << " tab " << i;
    };
    auto both = [&](auto&& step) {
        step(static_cast<QTabBar&>(strip));
        step(plain);
    };
    for (int i = 0; i < 30; ++i) {
        const QString title = QStringLiteral("page%1.txt").arg(QString(i % 7, QLatin1Char('x')));
        both([&](QTabBar& b) { b.addTab(title); });
    }
    same("added");
    both([](QTabBar& b) { b.setCurrentIndex(5); });
    same("another current tab");
    // A title grows (a change marked), then a tab goes.
    both([](QTabBar& b) { b.setTabText(6, b.tabText(6) + QStringLiteral(" * a much longer")); });
    same("renamed");
    both([](QTabBar& b) { b.removeTab(0); });
    same("removed");
    // A larger font: every size is measured again.
    QFont big = strip.font();
    big.setPointSize(big.pointSize() * 3);
    both([&](QTabBar& b) { b.setFont(big); });
    same("larger font");
    EXPECT_GT(strip.tabRect(0).height(), 0);

    // Tabs added and removed while the sizes are held: laid out right as the hold ends.
    strip.HoldSizes();
    strip.HoldSizes();
    for (int i = 0; i < 12; ++i) {
        const QString title = QStringLiteral("held%1.txt").arg(QString(i % 5, QLatin1Char('y')));
        both([&](QTabBar& b) { b.addTab(title); });
    }
    both([](QTabBar& b) { b.removeTab(3); });
    strip.ReleaseSizes();
    EXPECT_EQ(strip.tabRect(2).width(), 1) << "still held";
    strip.ReleaseSizes();
    same("added while held");
    EXPECT_EQ(strip.sizeHint(), plain.sizeHint());
}

TEST(SharedIconStyle, HandsOutTheStylesOwnTitleBarIconsOnce) {
    ShareTitleBarIcons();
    QStyle* style = QApplication::style();
    ASSERT_NE(qobject_cast<SharedIconStyle*>(style), nullptr);
    ShareTitleBarIcons();
    EXPECT_EQ(QApplication::style(), style) << "installed once";

    const std::unique_ptr<QStyle> base(
        QStyleFactory::create(static_cast<QProxyStyle*>(style)->baseStyle()->name()));
    ASSERT_NE(base, nullptr);
    for (const QStyle::StandardPixmap icon :
         {QStyle::SP_TitleBarMenuButton, QStyle::SP_TitleBarMinButton, QStyle::SP_TitleBarMaxButton,
          QStyle::SP_TitleBarCloseButton, QStyle::SP_TitleBarNormalButton}) {
        const QIcon first = style->standardIcon(icon);
        const QIcon second = style->standardIcon(icon);
        EXPECT_EQ(first.cacheKey(), second.cacheKey()) << icon;
        EXPECT_EQ(first.pixmap(16).toImage(), base->standardIcon(icon).pixmap(16).toImage())
            << icon;
    }
    // Other icons are the style's, asked each time.
    EXPECT_EQ(style->standardIcon(QStyle::SP_DirIcon).pixmap(16).toImage(),
              base->standardIcon(QStyle::SP_DirIcon).pixmap(16).toImage());
}

}  // namespace
}  // namespace norv::qt
