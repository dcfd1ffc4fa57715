#include "Platform/Bookmark/Bookmark.h"

#include "testing/TemporaryDirectory.h"

#include <QFile>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using quillo::testing::TemporaryDirectory;

namespace {

QString qPath(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.native())); }

}  // namespace

TEST(Bookmark, ResolvesToThePathItWasMadeForWhileItExists) {
    TemporaryDirectory dir;
    const fs::path bundle = dir.path() / "Über Cut ✂.fcpbundle";
    fs::create_directory(bundle);

    const auto data = platform::Bookmark::create(qPath(bundle));
    ASSERT_TRUE(data);
    const auto resolved = platform::Bookmark::resolve(*data);
    ASSERT_TRUE(resolved);
    EXPECT_EQ(resolved->path, qPath(bundle));
    EXPECT_FALSE(resolved->isStale);

    // Another folder under the same path still resolves, marked stale; a vanished one does not.
    fs::rename(bundle, dir.path() / "Elsewhere.fcpbundle");
    fs::create_directory(bundle);
    const auto replaced = platform::Bookmark::resolve(*data);
    ASSERT_TRUE(replaced);
    EXPECT_TRUE(replaced->isStale);
    fs::remove(bundle);
    EXPECT_FALSE(platform::Bookmark::resolve(*data));

    EXPECT_FALSE(platform::Bookmark::create(qPath(bundle)));
    EXPECT_FALSE(platform::Bookmark::create("relative/Cut.fcpbundle"));
}

TEST(Bookmark, MalformedBlobsResolveToNothing) {
    TemporaryDirectory dir;
    const auto data = *platform::Bookmark::create(qPath(dir.path()));
    ASSERT_TRUE(platform::Bookmark::resolve(data));

    EXPECT_FALSE(platform::Bookmark::resolve(QByteArray()));
    EXPECT_FALSE(platform::Bookmark::resolve(data.left(data.size() - 1)));  // path cut short
    EXPECT_FALSE(platform::Bookmark::resolve(data + "/"));                  // bytes after the path
    EXPECT_FALSE(platform::Bookmark::resolve(data.left(20)));               // header cut short
    QByteArray otherVersion = data;
    otherVersion[5] = 2;
    EXPECT_FALSE(platform::Bookmark::resolve(otherVersion));
    QByteArray otherMagic = data;
    otherMagic[0] = 'X';
    EXPECT_FALSE(platform::Bookmark::resolve(otherMagic));
    QByteArray relative = data;
    relative[26] = 'x';  // the path's leading slash
    EXPECT_FALSE(platform::Bookmark::resolve(relative));
    QByteArray hugeLength = data;
    hugeLength[22] = static_cast<char>(0xFF);
    EXPECT_FALSE(platform::Bookmark::resolve(hugeLength));
}

TEST(Bookmark, AccessNeedsAReadableDirectory) {
    TemporaryDirectory dir;
    EXPECT_TRUE(platform::Bookmark::startAccessing(qPath(dir.path())));
    const fs::path file = dir.path() / "CurrentVersion.fcpevent";
    std::ofstream(file) << "x";
    EXPECT_FALSE(platform::Bookmark::startAccessing(qPath(file)));
    EXPECT_FALSE(platform::Bookmark::startAccessing(qPath(dir.path() / "missing")));
}
