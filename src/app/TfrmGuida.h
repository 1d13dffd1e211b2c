#pragma once

#include "app/TForm.h"

// The help screen: one topic (a title and a long text) given by its caller.
class TfrmGuida : public TForm {
    Q_OBJECT
public:
    explicit TfrmGuida(QWidget* owner = nullptr);

    // Creates a fresh help screen owned by `owner`, fills it with the topic,
    // shows it modally and destroys it when it closes.
    static void showTopic(QWidget* owner, const QString& title, const QString& text);
};
