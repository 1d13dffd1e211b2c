#pragma once

#include "ui/shell/TForm.h"

class Picture;
struct CollectionScreens;

// The main menu: a tile per collection of the list, help, information,
// credits, the maker's site, the list of the additions and the way out of
// the program.
class TfrmAvvio : public TForm {
    Q_OBJECT
public:
    explicit TfrmAvvio(QWidget* owner = nullptr);

    // A collection's tile: the screen it opens.
    void openCollection(const CollectionScreens& entry);
    void imgInfoClick();
    void imgCopyrightClick();
    void imgGuidaClick();
    void imgSitoClick();
    // Not one of the menu's original commands: the additions (loans,
    // safety copies, ...), listed by TfrmStrumenti.
    void imgStrumentiClick();
    void imgEsciClick();

protected:
    void formClose() override;

private:
    Picture* addPicture(const QString& name, const QString& svg, QRect at, void (TfrmAvvio::*handler)());
};
