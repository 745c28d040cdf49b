#include "app/ModalRunner.h"

#include <QDialog>

int ModalRunner::Run(QDialog& dialog) {
    return dialog.exec();
}
