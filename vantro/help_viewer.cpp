#include "help_viewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

std::string FindHelpFile(const std::string& helpFile) {
    const QString base = QFileInfo(QString::fromStdString(helpFile)).completeBaseName();
    if (base.isEmpty()) return {};
    // Beside the program in the build tree, in share/vantro/ when installed.
    const QString programDir = QCoreApplication::applicationDirPath();
    QStringList folders{programDir + QStringLiteral("/help"),
                        programDir + QStringLiteral("/../share/vantro/help")};
    const QString extra = qEnvironmentVariable("VANTRO_HELP_DIR");
    if (!extra.isEmpty()) folders << extra;
    for (const QString& folder : folders) {
        const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files);
        for (const QFileInfo& file : files) {
            if (file.completeBaseName().compare(base, Qt::CaseInsensitive) == 0) {
                return file.absoluteFilePath().toStdString();
            }
        }
    }
    return {};
}

THelpWindow::THelpWindow(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Vantro Help"));
    Browser_ = new QTextBrowser(this);
    Browser_->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Browser_);
    resize(560, 480);
}

void THelpWindow::ShowIndex(const std::string& helpFile) {
    const std::string path = FindHelpFile(helpFile);
    if (path.empty()) {
        Browser_->setHtml(QStringLiteral("<p>The help file <b>%1</b> was not found.</p>")
                              .arg(QString::fromStdString(helpFile).toHtmlEscaped()));
        return;
    }
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));
    url.setFragment(QStringLiteral("index"));
    Browser_->setSource(url, QTextDocument::HtmlResource);
    Browser_->scrollToAnchor(QStringLiteral("index"));
}

void OpenHelpIndex(const std::string& helpFile, QWidget* owner) {
    auto* window =
        owner ? owner->findChild<THelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (window == nullptr) window = new THelpWindow(owner);
    window->ShowIndex(helpFile);
    window->show();
    window->raise();
    window->activateWindow();
}
