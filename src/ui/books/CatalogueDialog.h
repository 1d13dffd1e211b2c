#pragma once

#include "ui/shell/TForm.h"

// What the two choices of "Compila dal catalogo" share: a fixed dialog with
// its explanation on top and, at the bottom right, the command that goes on
// and Annulla (`cmdAnnulla`).
class CatalogueDialog : public TForm {
    Q_OBJECT
protected:
    struct Frame {
        const char* objectName;
        QString caption;
        QSize client;
        QString intro;
        const char* introName;
        int introHeight;
        const char* okName;
        QString okText;
    };
    CatalogueDialog(QWidget* owner, const Frame& frame);

    virtual void okClicked() = 0;
    virtual void cancelClicked() = 0;
};
