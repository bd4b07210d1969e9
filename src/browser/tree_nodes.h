// The folder tree's node vocabulary: keys, texts and where a node keeps its key.
#pragma once

#include <QString>
#include <Qt>

namespace lumbrook::browser {

// A node's key lives in the data of its first column under this role.
inline constexpr int kNodeKeyRole = Qt::UserRole;

// The child that makes an unloaded folder expandable; it never has a key.
inline constexpr const char* kPlaceholderText = "xyzzy_dummy_xyzzy";

// The root stands for folder object 2, the top of the project folders.
inline constexpr const char* kRootKey = "folder_2";
inline constexpr const char* kRootText = "Projects";

// A key whose first six characters are "folder" marks the root or a folder; a key whose
// part before the first "_" is "spotset" marks a spot set. Both exact and case-sensitive.
inline bool IsFolderKey(const QString& key) {
    return key.startsWith(QStringLiteral("folder"), Qt::CaseSensitive);
}
inline bool IsSpotSetKey(const QString& key) {
    return key.section(QLatin1Char('_'), 0, 0) == QStringLiteral("spotset");
}
// The piece after the first "_": the database object's id as decimal text.
inline QString KeyId(const QString& key) {
    return key.section(QLatin1Char('_'), 1);
}

}  // namespace lumbrook::browser
