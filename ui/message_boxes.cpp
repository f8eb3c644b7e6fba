#include "message_boxes.h"

#include <QMessageBox>
#include <QString>

namespace quillmere {
namespace {
QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

void MessageBoxes::Information(std::string_view text) {
  QMessageBox::information(parent_, QStringLiteral("Information"), Text(text));
}

void MessageBoxes::Warning(std::string_view text) {
  QMessageBox::warning(parent_, QStringLiteral("Warning"), Text(text));
}

void MessageBoxes::Error(std::string_view text) {
  QMessageBox::critical(parent_, QStringLiteral("Error"), Text(text));
}

bool MessageBoxes::Confirm(std::string_view text) {
  return QMessageBox::question(parent_, QStringLiteral("Confirm"), Text(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace quillmere
