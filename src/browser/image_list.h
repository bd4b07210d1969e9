// ilsIcons: the three 16 by 16 pictures of the folder tree, by key.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace lumbrook::browser {

inline constexpr const char* kOpenFolderPicture = "openfile";
inline constexpr const char* kClosedFolderPicture = "shutfile";
inline constexpr const char* kSpotSetPicture = "spotset";

// The picture with `key`, transparent where it was drawn in the mask colour (red, green and
// blue 192); a null pixmap for an unknown key.
QPixmap TreePicture(const QString& key);
// The picture as a node's icon, the same when the node is selected.
QIcon TreeIcon(const QString& key);

// The pictures' keys in their index order (1 to 3).
inline constexpr const char* kTreePictureKeys[] = {kOpenFolderPicture, kClosedFolderPicture,
                                                   kSpotSetPicture};

}  // namespace lumbrook::browser
