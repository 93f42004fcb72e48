// Atomic replacement: readers see the old file or the new one, never a mix; folders are made;
// failures leave nothing behind.
#include <base/AtomicFile.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "ReadWhole.h"
#include "TemporaryFolder.h"

namespace {

std::vector<char> bytes(const std::string& text) {
    return std::vector<char>(text.begin(), text.end());
}

size_t entriesIn(const std::string& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                             std::filesystem::directory_iterator()));
}

TEST(AtomicFile, ReplacesWholeAndAnOpenReaderKeepsTheOldFile) {
    const TemporaryFolder folder("atomic");
    const std::string path = folder.path() + "/file.plist";
    ASSERT_TRUE(base::writeFileAtomically(path, bytes("old contents")));
    std::ifstream reader(path, std::ios::binary);
    ASSERT_TRUE(base::writeFileAtomically(path, bytes("new")));
    const std::string seenByOldReader((std::istreambuf_iterator<char>(reader)),
                                      std::istreambuf_iterator<char>());
    EXPECT_EQ(seenByOldReader, "old contents");
    EXPECT_EQ(readWhole(path), "new");
    EXPECT_EQ(entriesIn(folder.path()), 1u);  // the file alone: no leftovers
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0644));
}

TEST(AtomicFile, CreatesMissingFoldersAndEmptyFiles) {
    const TemporaryFolder folder("atomic");
    const std::string path = folder.path() + "/a/b/c/empty";
    ASSERT_TRUE(base::writeFileAtomically(path, {}));
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(AtomicFile, FailureReportsFalseAndLeavesNothing) {
    const TemporaryFolder folder("atomic");
    const std::string blocker = folder.path() + "/blocker";
    std::ofstream(blocker) << "a file where a folder should be";
    EXPECT_FALSE(base::writeFileAtomically(blocker + "/inside", bytes("x")));
    EXPECT_EQ(readWhole(blocker), "a file where a folder should be");

    const std::string library = folder.path() + "/home/Library";
    std::filesystem::create_directories(library);
    EXPECT_FALSE(base::writeFileAtomically(library, bytes("x")));  // a folder is not replaced
    EXPECT_TRUE(std::filesystem::is_directory(library));
    EXPECT_EQ(entriesIn(folder.path() + "/home"), 1u);
}

}  // namespace
