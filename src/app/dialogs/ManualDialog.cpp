#include "app/dialogs/ManualDialog.h"

#include <QAbstractButton>
#include <QLineEdit>

#include "app/ControlId.h"
#include "app/DialogBuilder.h"
#include "app/resources/DialogTemplate.h"

ManualDialog::ManualDialog(QWidget* parent) : QDialog(parent) {
    const DialogTemplate& dialog = FindDialogTemplate(DialogIds::kManual);
    setWindowFlags(Qt::Dialog | Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    setWindowTitle(QString::fromLatin1(dialog.title));
    DialogBuilder().Build(dialog, this);
    setFixedSize(DialogBuilder::ToPixels(dialog.width, dialog.height));
    frequencyEdit_ = static_cast<QLineEdit*>(ChildById(this, ControlIds::kManualFrequency));
    frequencyEdit_->setMaxLength(kMaxDigits);
    frequencyEdit_->setFocus();
    connect(static_cast<QAbstractButton*>(ChildById(this, ControlIds::kOk)),
            &QAbstractButton::clicked, this, &ManualDialog::accept);
    connect(static_cast<QAbstractButton*>(ChildById(this, ControlIds::kCancel)),
            &QAbstractButton::clicked, this, &ManualDialog::reject);
}

// The edit itself holds the text to digits and to three of them, so the
// exchange has nothing left to refuse.
void ManualDialog::accept() {
    frequencyText_ = frequencyEdit_->text().toStdString();
    QDialog::accept();
}
