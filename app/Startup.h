#pragma once

#include <QString>

#include <exception>
#include <memory>

class TForm1;
class TForm2;
class TForm4;
class TOOCalc;

// The program's forms, created in start-up order. Destroyed in reverse: the data module
// first (it detaches the window's controls), then the firm dialog, then the main window.
struct TForms {
  std::unique_ptr<TForm1> Form1;
  std::unique_ptr<TForm4> Form4;
  std::unique_ptr<TForm2> Form2;

  TForms();
  TForms(TForms&&) noexcept;
  TForms& operator=(TForms&&) noexcept;
  ~TForms();
};

// Start-up steps 2 to 4: the main window (its FormCreate runs), the hidden firm dialog loading
// `iniPath`, then the data module opening the register (db.mdb in the working directory, or
// the server database.ini names) and attaching the window's controls. Nothing is shown.
// Throws what the steps throw (EDatabaseError when the settings are refused or the register
// cannot be opened or lacks a column); nothing is created on disk then. Needs the
// TApplication.
TForms CreateForms(const QString& iniPath);
// The same with the export going to office (null: the program's own LibreOffice).
TForms CreateForms(const QString& iniPath, std::unique_ptr<TOOCalc> office);

// The text of the box for an error that stops start-up:
// "Exception <class> in module <executable> at <address>.\r\n<message><full stop>\r\n", the
// full stop only when the message does not already end in one; for a database failure the
// operator's Russian sentence (DatabaseFailureText) and "\r\n" come first.
QString StartupErrorText(std::exception_ptr error);

// The whole program: application title, the offer to convert an old program's register
// (OfferOldRegisterConversion), forms, message loop. Returns the exit code: what the offer
// ended the program with; 1 after the "Application Error" box when start-up fails; otherwise
// the loop's code.
int RunApplication(int& argc, char** argv);
