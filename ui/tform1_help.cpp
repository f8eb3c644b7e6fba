// The Help tab of the main window: the program's help file in the help
// window.
#include <QDir>
#include <QFileInfo>
#include <string>

#include "help_viewer.h"
#include "tform1.h"

namespace quillmere {

void TForm1::OpenHelp() {
  // HTML Help took the help file by its extension in any case; on a file
  // system that tells case apart, ".CHM" is looked for beside ".chm". A copy
  // in the current folder wins over the installed one, whatever its case.
  const std::string name = std::string("/") + kHelpFileName;
  const std::string capitals = name.substr(0, name.size() - 3) + "CHM";
  const std::string here = QDir::currentPath().toStdString();
  std::string path;
  for (const std::string& candidate :
       {here + name, here + capitals, MapPath(name), MapPath(capitals)}) {
    if (QFileInfo::exists(QString::fromStdString(candidate))) {
      path = candidate;
      break;
    }
  }
  // Not found anywhere: the window says so, naming the current folder.
  if (path.empty()) path = here + name;

  if (!help_viewer_) help_viewer_.reset(new HelpViewer(this));
  help_viewer_->OpenFile(QString::fromStdString(path));
  help_viewer_->show();
  help_viewer_->raise();
  help_viewer_->activateWindow();
}

}  // namespace quillmere
