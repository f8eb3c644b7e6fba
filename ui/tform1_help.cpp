// The Help tab of the main window: the program's help file in the help
// window.
#include <QFile>
#include <filesystem>
#include <string>

#include "default_data.h"
#include "help_viewer.h"
#include "startup.h"
#include "tform1.h"

namespace quillmere {

void TForm1::OpenHelp(const QString& page) {
  // HTML Help took the help file by its extension in any case; on a file
  // system that tells case apart, ".CHM" is looked for beside ".chm". A copy
  // in the current folder wins over the installed one, whatever its case.
  const std::string name = kHelpFileName;
  const std::string names[] = {name, name.substr(0, name.size() - 3) + "CHM"};
  // Not found anywhere: the window says so, naming the current folder.
  const std::filesystem::path path = FindShippedFile(names).value_or(StartFolder() / name);

  if (!help_viewer_) {
    help_viewer_.reset(new HelpViewer(this));
    GiveWindowKeys(help_viewer_.get(), QStringLiteral("index.html#help-window"));
  }
  // A page of the file already shown keeps the window's Back and Forward.
  const QString shown = QFile::decodeName(QByteArray::fromStdString(path.string()));
  if (page.isEmpty() || help_viewer_->FilePath() != shown || !help_viewer_->Message().isEmpty())
    help_viewer_->OpenFile(path);
  help_viewer_->ShowPage(page);
  help_viewer_->show();
  help_viewer_->raise();
  help_viewer_->activateWindow();
}

}  // namespace quillmere
