#include "qt/CommandLine.h"

#include <gtest/gtest.h>

using tessarin::qt::parseCommandLine;
using tessarin::qt::unknownOptions;

namespace {

QStringList split(const char* line) {
    return QString::fromLatin1(line).split(' ', Qt::SkipEmptyParts);
}

} // namespace

TEST(CommandLine, OnlyOptionsNeitherTheGameNorQtKnowsAreNamed) {
    // Slips of the pen, with or without a value.
    EXPECT_EQ(unknownOptions(split("--scael 2")), split("--scael"));
    EXPECT_EQ(unknownOptions(split("-x --volume=3 --scale 2 -Platform xcb")),
              split("-x --volume -Platform"));
    // The game's own, with one dash or two, the value following or joined.
    EXPECT_EQ(unknownOptions(split("--scale 2 -scale=3 --user-data -h --help -? --help-all -v "
                                   "--version")),
              QStringList{});
    // Qt's, with their values; a value that looks like an option is still a value.
    EXPECT_EQ(unknownOptions(split("-platform xcb --platform offscreen -style fusion -style=fusion "
                                   "-stylesheet a.qss -display :1 -geometry 10x10+0+0 "
                                   "-qwindowgeometry 10x10 -qwindowtitle -T -qwindowicon i.png "
                                   "-reverse -session s -widgetcount -nograb -dograb -sync -name n "
                                   "-title t -visual v -ncols 8 -cmap -fontengine freetype "
                                   "-plugin p -qmljsdebugger=port:1 -platformtheme gtk3")),
              QStringList{});
    // Not options: words, a lone dash, and everything after "--".
    EXPECT_EQ(unknownOptions(split("game - -- --bogus")), QStringList{});
    // The value of an option that takes one is not an option; one missing is harmless.
    EXPECT_EQ(unknownOptions(split("--scale --bogus -y")), split("-y"));
    EXPECT_EQ(unknownOptions(split("-style")), QStringList{});
}

TEST(CommandLine, AJoinLinkIsAnArgumentNotAnOption) {
    const QString link = QStringLiteral("TESSARIN://[2001:db8::1]:47077/K7Q-M2X?v=1&key=ab");
    EXPECT_EQ(unknownOptions({"--user-data", link, "--scale", "2"}), QStringList{});
    const auto options = parseCommandLine({"tessarin", "--user-data", link, "--scale", "2"});
    EXPECT_EQ(options.link, link); // read, and refused or not, by the Join window
    EXPECT_TRUE(options.userData && options.scale == 2 && !options.exitNow);
    EXPECT_EQ(parseCommandLine({"tessarin", "game"}).link, QString());
}
