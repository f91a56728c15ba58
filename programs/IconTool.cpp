// Writes the tool's icon for the hicolor icon theme, drawn from the same shapes as icon group
// 128: <folder>/<n>x<n>/apps/kestrival.png for each size of the theme, 16 to 256 pixels, and
// <folder>/scalable/apps/kestrival.svg; with a second argument, icon group 128 as the .ico file
// that the Windows build's resource compiler takes.
#include <QDir>
#include <QFile>
#include <QImage>
#include <cstdio>
#include <fstream>

#include "app/KestrivalResources.h"
#include "platform/IconFile.h"
#include "platform/qt/QtHost.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: %s <hicolor folder> [<file.ico>]\n", argv[0]);
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  // The theme sizes the desktop asks for, each drawn from the icon's shapes at that size.
  int written = 0;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QImage image = platform::qt::IconPictureImage(RenderKestrivalIcon(size));
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
  const QString scalable = root + "/scalable/apps";
  QFile svg(scalable + "/kestrival.svg");
  const std::string text = KestrivalIconSvg();
  if (!QDir().mkpath(scalable) || !svg.open(QIODevice::WriteOnly) ||
      svg.write(text.data(), static_cast<qint64>(text.size())) !=
          static_cast<qint64>(text.size())) {
    std::fprintf(stderr, "cannot write %s\n", svg.fileName().toLocal8Bit().constData());
    return 1;
  }
  ++written;
  if (argc == 3) {
    const std::string ico = platform::EncodeIcoFile(KestrivalIcon());
    std::ofstream out(argv[2], std::ios::binary);
    if (!out.write(ico.data(), static_cast<std::streamsize>(ico.size())) || !out.flush()) {
      std::fprintf(stderr, "cannot write %s\n", argv[2]);
      return 1;
    }
    ++written;
  }
  std::printf("%d icon pictures written to %s\n", written, argv[1]);
  return 0;
}
