// Writes the pictures of the tool's icon group as PNG files of the hicolor icon theme:
// <folder>/<n>x<n>/apps/kestrival.png for each size of the theme, 16 to 256 pixels.
#include <QDir>
#include <QImage>
#include <cstdio>

#include "app/KestrivalResources.h"
#include "platform/qt/QtHost.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <hicolor folder>\n", argv[0]);
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  // The theme sizes the desktop asks for: a picture of the group where it has that size, else the
  // largest picture scaled.
  const auto& pictures = KestrivalIcon().pictures;
  if (pictures.empty()) return 1;
  const auto* largest = &pictures.front();
  for (const auto& picture : pictures) {
    if (picture.size > largest->size) largest = &picture;
  }
  int written = 0;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const auto* exact = largest;
    for (const auto& picture : pictures) {
      if (picture.size == size) exact = &picture;
    }
    QImage image = platform::qt::IconPictureImage(*exact);
    if (image.width() != size) {
      image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const QString folder = QString("%1/%2x%2/apps").arg(root).arg(size);
    if (!QDir().mkpath(folder)) {
      std::fprintf(stderr, "cannot create %s\n", folder.toLocal8Bit().constData());
      return 1;
    }
    const QString file = folder + "/kestrival.png";
    if (!image.save(file, "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", file.toLocal8Bit().constData());
      return 1;
    }
    ++written;
  }
  QDir().mkpath(root);
  std::printf("%d icon pictures written to %s\n", written, argv[1]);
  return 0;
}
