#include "ui/send_pictures_form.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace blx52 {

TSendPicturesForm::TSendPicturesForm(int total, QWidget* parent)
    : QDialog(parent), label_(new QLabel(this)), bar_(new QProgressBar(this)) {
    setObjectName(QStringLiteral("SendPicturesForm"));
    setWindowTitle(QStringLiteral("Send all pictures"));
    setWindowModality(Qt::WindowModal);
    label_->setObjectName(QStringLiteral("Label1"));
    bar_->setObjectName(QStringLiteral("ProgressBar1"));
    bar_->setRange(0, total);
    bar_->setFormat(QStringLiteral("%v / %m"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    setMinimumWidth(320);
}

void TSendPicturesForm::showProgress(int done, const QString& next) {
    bar_->setValue(done);
    label_->setText(next.isEmpty() ? QStringLiteral("Done.")
                                   : QStringLiteral("Sending %1 \u2026").arg(next));
    // The send runs on this thread, as the editor's does; the bar is drawn between pictures.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace blx52
