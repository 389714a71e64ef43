#pragma once

#include "Classes.h"
#include "TButton.h"
#include "TEdit.h"
#include "TForm.h"
#include "TImage.h"
#include "TLabel.h"
#include "TRadioButton.h"
#include "TTimer.h"

// The scroll test window: its controls come from resources/Unit1.ui and belong to it through Qt.
// Made by the application on the window's thread.
class TForm1 : public TForm {
    Q_OBJECT

public:
    // The layout's controls and handlers, under the names the form description binds.
    TImage* Image1;
    TTimer* Timer1;
    TButton* Button1;
    TLabel* Label1;
    TRadioButton* RadioButton1;
    TRadioButton* RadioButton2;
    TLabel* Label2;
    TEdit* Edit1;
    void Timer1Timer(TObject* Sender);
    void Button1Click(TObject* Sender);

    explicit TForm1(TComponent* Owner);
};

extern TForm1* Form1;
