#include "help_viewer.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QSplitter>
#include <QStyle>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "chm_file.h"

namespace quillmere {
namespace {

QString FromUtf8(const std::string& s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The object path a browser address names, as the lookup key of the
// contents: decoded, lower case (HTML Help's paths ignore case).
QString PageKey(const QUrl& url) {
  return url.path(QUrl::FullyDecoded).toLower();
}

QString NotFoundPage(const QString& path) {
  return QStringLiteral(
             "<html><body><h2>Page not found</h2><p>The help file has no page "
             "<b>%1</b>.</p></body></html>")
      .arg(path.toHtmlEscaped());
}

}  // namespace

// ---------------------------------------------------------------------------
// HelpBrowser

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent) {
  // Links are followed by the help window itself: pages of the file here,
  // web addresses in the desktop's browser, anything else not at all.
  setOpenLinks(false);
  setOpenExternalLinks(false);
}

QUrl HelpBrowser::PageUrl(const QString& local) {
  QString path = local.trimmed();
  // HTML Help's own addresses of a page in a help file:
  // "ms-its:file.chm::/page.html", "mk:@MSITStore:file.chm::/page.html".
  const qsizetype separator = path.indexOf(QStringLiteral("::"));
  if (separator >= 0 && (path.startsWith(QStringLiteral("ms-its:"), Qt::CaseInsensitive) ||
                         path.startsWith(QStringLiteral("mk:@MSITStore:"), Qt::CaseInsensitive) ||
                         path.startsWith(QStringLiteral("its:"), Qt::CaseInsensitive))) {
    path = path.mid(separator + 2);
  }
  QString fragment;
  const qsizetype hash = path.indexOf(u'#');
  if (hash >= 0) {
    fragment = path.mid(hash + 1);
    path.truncate(hash);
  }
  // Contents entries may give the path escaped ("Cloud%20maps.html") or not.
  path = QUrl::fromPercentEncoding(path.toUtf8());
  QUrl url;
  url.setScheme(QString::fromLatin1(kScheme));
  url.setPath(FromUtf8(NormaliseObjectPath(path.toStdString())));
  if (!fragment.isEmpty()) url.setFragment(fragment);
  return url;
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
  const QUrl url = name.isRelative() ? source().resolved(name) : name;
  if (url.scheme() != QLatin1String(kScheme) || file_ == nullptr) return {};
  const QString path = url.path(QUrl::FullyDecoded);
  const std::optional<std::string> bytes = file_->Read(path.toStdString());
  switch (type) {
    case QTextDocument::UnknownResource:
    case QTextDocument::HtmlResource:
      if (!bytes) return NotFoundPage(path);
      return FromUtf8(DecodeHtml(*bytes));
    case QTextDocument::StyleSheetResource:
      if (!bytes) return {};
      return FromUtf8(DecodeText(*bytes));
    case QTextDocument::ImageResource: {
      if (!bytes) return {};
      QImage image;
      if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes->data()),
                              static_cast<int>(bytes->size()))) {
        return {};
      }
      return image;
    }
    default:
      if (!bytes) return {};
      return QByteArray(bytes->data(), qsizetype(bytes->size()));
  }
}

// ---------------------------------------------------------------------------
// HelpViewer

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("HelpViewer"));
  setWindowTitle(QStringLiteral("Quillmere Help"));
  // An open help window never keeps the program running on its own.
  setAttribute(Qt::WA_QuitOnClose, false);

  const auto tool = [this](const QString& name, const QString& text, QStyle::StandardPixmap icon) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(text);
    button->setIcon(style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
  };
  back_ = tool(QStringLiteral("HelpBack"), QStringLiteral("Back"), QStyle::SP_ArrowBack);
  forward_ =
      tool(QStringLiteral("HelpForward"), QStringLiteral("Forward"), QStyle::SP_ArrowForward);
  contents_ =
      tool(QStringLiteral("HelpHome"), QStringLiteral("Contents"), QStyle::SP_FileDialogListView);
  back_->setEnabled(false);
  forward_->setEnabled(false);

  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("HelpContents"));
  tree_->setHeaderHidden(true);
  tree_->setColumnCount(1);
  tree_->setUniformRowHeights(true);

  browser_ = new HelpBrowser(this);
  browser_->setObjectName(QStringLiteral("HelpPage"));

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->addWidget(tree_);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({300, 700});
  splitter->setChildrenCollapsible(false);

  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(0, 0, 0, 0);
  bar->setSpacing(2);
  bar->addWidget(contents_);
  bar->addWidget(back_);
  bar->addWidget(forward_);
  bar->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 6);
  layout->setSpacing(4);
  layout->addLayout(bar);
  layout->addWidget(splitter, 1);
  resize(1000, 720);

  connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(contents_, &QToolButton::clicked, this, &HelpViewer::ShowContents);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::anchorClicked, this, &HelpViewer::OnLinkClicked);
  connect(browser_, &QTextBrowser::sourceChanged, this, &HelpViewer::OnSourceChanged);
  connect(tree_, &QTreeWidget::currentItemChanged, this, &HelpViewer::ShowEntry);
  connect(tree_, &QTreeWidget::itemClicked, this, &HelpViewer::ShowEntry);
}

HelpViewer::~HelpViewer() {
  // The browser may still ask for resources while it is taken down.
  browser_->SetFile(nullptr);
}

bool HelpViewer::OpenFile(const QString& path) {
  return OpenFile(std::filesystem::path(QFile::encodeName(path).toStdString()));
}

bool HelpViewer::OpenFile(const std::filesystem::path& path) {
  // The name only for showing; the file is opened by its bytes.
  path_ = QFile::decodeName(QByteArray::fromStdString(path.string()));
  message_.clear();
  home_ = QUrl();
  browser_->SetFile(nullptr);
  tree_->clear();
  by_page_.clear();
  file_.reset();

  // HTML Help takes a help file by its extension, in any case.
  if (QFileInfo(path_).suffix().compare(QLatin1String("chm"), Qt::CaseInsensitive) != 0) {
    ShowMessage(QStringLiteral("\"%1\" is not an HTML help file (.chm).").arg(path_));
    return false;
  }
  ChmOpenError error;
  file_ = ChmFile::Open(path, &error);
  if (!file_) {
    ShowMessage(FromUtf8(error.message));
    return false;
  }
  browser_->SetFile(file_.get());
  FillContents();
  if (home_.isEmpty() && !file_->DefaultTopic().empty()) {
    const QUrl topic = HelpBrowser::PageUrl(FromUtf8(file_->DefaultTopic()));
    if (!file_->Resolve(topic.path(QUrl::FullyDecoded).toStdString()).empty()) home_ = topic;
  }
  if (home_.isEmpty()) {
    for (const std::string& object : file_->Objects()) {
      const QString name = FromUtf8(object);
      if (name.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
          name.endsWith(QLatin1String(".html"), Qt::CaseInsensitive)) {
        home_ = HelpBrowser::PageUrl(name);
        break;
      }
    }
  }
  if (home_.isEmpty()) {
    browser_->SetFile(nullptr);
    file_.reset();
    tree_->clear();
    by_page_.clear();
    ShowMessage(QStringLiteral("The help file \"%1\" holds no pages.").arg(path_));
    return false;
  }
  browser_->clearHistory();
  ShowContents();
  return true;
}

void HelpViewer::ShowContents() {
  if (home_.isEmpty()) return;
  // The same address again would not reload: a file opened afresh must be
  // read afresh.
  if (browser_->source() == home_) {
    browser_->reload();
  } else {
    browser_->setSource(home_);
  }
  OnSourceChanged(browser_->source());
}

void HelpViewer::ShowPage(const QString& local) {
  if (file_ == nullptr || local.isEmpty()) return;
  browser_->setSource(HelpBrowser::PageUrl(local));
}

void HelpViewer::ShowMessage(const QString& text) {
  message_ = text;
  browser_->clearHistory();
  browser_->setHtml(
      QStringLiteral("<html><body style=\"font-family: sans-serif\">"
                     "<h2 style=\"color: #8b0000\">The help cannot be shown</h2>"
                     "<p>%1</p>"
                     "<p>Quillmere looks for its help file, <b>%2</b>, in the folder it runs in "
                     "and then in its installed data folder (<i>share/quillmere</i> beside the "
                     "program, or <i>share</i> in the build folder). The build makes the file; "
                     "building or installing the program again puts a good copy there.</p>"
                     "</body></html>")
          .arg(text.toHtmlEscaped(), QString::fromLatin1(kHelpFileName)));
}

void HelpViewer::FillContents() {
  if (file_->ContentsPath().empty()) return;
  const std::optional<std::string> bytes = file_->Read(file_->ContentsPath());
  if (!bytes) return;
  const std::vector<SitemapEntry> entries = ParseSitemap(DecodeHtml(*bytes));

  std::vector<QTreeWidgetItem*> items;
  items.reserve(entries.size());
  for (const SitemapEntry& entry : entries) {
    QTreeWidgetItem* parent = entry.parent >= 0 && std::size_t(entry.parent) < items.size()
                                  ? items[entry.parent]
                                  : nullptr;
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
    const QString local = FromUtf8(entry.local);
    item->setText(0, entry.name.empty() ? local : FromUtf8(entry.name));
    item->setToolTip(0, item->text(0));
    item->setData(0, Qt::UserRole, local);
    if (!local.isEmpty()) {
      const QUrl url = HelpBrowser::PageUrl(local);
      const QString key = PageKey(url);
      if (!by_page_.contains(key)) by_page_.insert(key, item);
      if (home_.isEmpty()) home_ = url;
    }
    items.push_back(item);
  }
  const QIcon book = style()->standardIcon(QStyle::SP_DirIcon);
  const QIcon page = style()->standardIcon(QStyle::SP_FileIcon);
  for (QTreeWidgetItem* item : items) item->setIcon(0, item->childCount() ? book : page);
  tree_->expandAll();
}

void HelpViewer::OnLinkClicked(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String(HelpBrowser::kScheme)) {
    browser_->setSource(url);
  } else if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
             scheme == QLatin1String("mailto")) {
    QDesktopServices::openUrl(url);
  } else if (scheme == QLatin1String("ms-its") || scheme == QLatin1String("mk") ||
             scheme == QLatin1String("its")) {
    ShowPage(url.toString(QUrl::FullyDecoded));
  }
  // Anything else (file:, javascript:, ...) is not followed from the help.
}

void HelpViewer::OnSourceChanged(const QUrl& url) {
  QTreeWidgetItem* item = by_page_.value(PageKey(url), nullptr);
  following_ = true;
  if (item != nullptr) {
    tree_->setCurrentItem(item);
    tree_->scrollToItem(item);
  } else {
    tree_->clearSelection();
  }
  following_ = false;
}

void HelpViewer::ShowEntry(QTreeWidgetItem* entry) {
  if (following_ || entry == nullptr) return;
  const QString local = entry->data(0, Qt::UserRole).toString();
  if (local.isEmpty()) return;
  const QUrl url = HelpBrowser::PageUrl(local);
  if (url != browser_->source()) browser_->setSource(url);
}

void HelpViewerCloser::operator()(HelpViewer* viewer) const {
  if (viewer == nullptr) return;
  viewer->close();
  delete viewer;
}

}  // namespace quillmere
