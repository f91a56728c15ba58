// Writes the pictures of the tool's icon group as PNG files of the hicolor icon theme:
// <folder>/<n>x<n>/apps/kestrival.png for each picture size.
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
  int written = 0;
  for (const auto& picture : KestrivalIcon().pictures) {
    const QString folder = QString("%1/%2x%2/apps").arg(root).arg(picture.size);
    if (!QDir().mkpath(folder)) {
      std::fprintf(stderr, "cannot create %s\n", folder.toLocal8Bit().constData());
      return 1;
    }
    const QString file = folder + "/kestrival.png";
    if (!platform::qt::IconPictureImage(picture).save(file, "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", file.toLocal8Bit().constData());
      return 1;
    }
    ++written;
  }
  QDir().mkpath(root);
  std::printf("%d icon pictures written to %s\n", written, argv[1]);
  return 0;
}
