#include "view_loader.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace quillmere {

LoadedViews LoadViewFactory(const QString& folder) {
  const QString beside = QDir(folder).filePath(QString::fromLatin1(kViewsLibraryFile));
  LoadedViews loaded;
  // By its bare name the dynamic loader finds the library already loaded by
  // a program linked with it, under its soname.
  QString name = QString::fromLatin1(kViewsLibraryFile);
  const QFileInfo file(beside);
  if (file.exists()) {
    // The loader opens what it is given and waits on a FIFO for a writer.
    if (!file.isFile()) {
      loaded.message = QStringLiteral("%1 is not a file.").arg(beside);
      return loaded;
    }
    name = beside;
  }
  QLibrary library(name);
  library.setLoadHints(QLibrary::PreventUnloadHint);
  if (!library.load()) {
    loaded.message =
        QStringLiteral("%1 could not be loaded (%2).").arg(beside, library.errorString());
    return loaded;
  }
  const auto entry = reinterpret_cast<ViewFactoryEntry>(library.resolve(kViewFactoryEntry));
  if (!entry) {
    loaded.message = QStringLiteral("%1 is not Quillmere's views library.").arg(library.fileName());
    return loaded;
  }
  loaded.factory = entry(kViewFactoryVersion);
  if (!loaded.factory)
    loaded.message =
        QStringLiteral("%1 belongs to another version of Quillmere.").arg(library.fileName());
  return loaded;
}

}  // namespace quillmere
