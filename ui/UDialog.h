// UDialog: the program's own message dialog, as one call.
//
// This header holds the vocabulary shared by every caller: the message
// kinds, the button kinds, the button set and the modal results. The
// forms of the program reach the dialog through the forwarder
// ::MessageDialog declared in TSkinForm.h; the dialog module's
// own entry point is UDialog::MessageDialog. The form it shows is
// TfrmDialog.
#pragma once

#include <QString>

#include <cstdint>
#include <initializer_list>

// Message kinds. Each picks the dialog's picture and title; mtCustom and
// any other value show as information.
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Button kinds. A kind's value is its bit in a button set, and the dialog
// lays its buttons out left to right in this order.
enum TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp
};

// Number of button kinds (bits 0 to 10 of a button set).
constexpr int kMsgDlgBtnKinds = 11;

// Modal results: what the button that closed a dialog gives back, the same
// values for every dialog of the program (the message dialog, the
// connection and parameters dialogs, About). mrNone: nothing closed it, as
// for Help.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrAbort = 3;
constexpr int mrRetry = 4;
constexpr int mrIgnore = 5;
constexpr int mrYes = 6;
constexpr int mrNo = 7;
constexpr int mrAll = 8;
constexpr int mrNoToAll = 9;
constexpr int mrYesToAll = 10;

// A set of button kinds: bit i stands for kind i.
//   TMsgDlgButtons{mbOK, mbCancel}   TMsgDlgButtons(mbOK)   FromBits(0x000C)
// A raw value may carry bits above 10; they are kept but never count.
class TMsgDlgButtons {
 public:
  constexpr TMsgDlgButtons() = default;
  constexpr TMsgDlgButtons(TMsgDlgBtn button) : FBits(Bit(button)) {}  // NOLINT: implicit on purpose
  constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons) {
    for (TMsgDlgBtn b : buttons) FBits |= Bit(b);
  }
  static constexpr TMsgDlgButtons FromBits(std::uint32_t bits) {
    TMsgDlgButtons s;
    s.FBits = bits;
    return s;
  }

  constexpr std::uint32_t Bits() const { return FBits; }
  constexpr bool Contains(TMsgDlgBtn button) const { return (FBits & Bit(button)) != 0; }
  constexpr bool IsEmpty() const { return Count() == 0; }
  // Number of button kinds in the set; only bits 0 to 10 count.
  constexpr int Count() const {
    int n = 0;
    for (int i = 0; i < kMsgDlgBtnKinds; ++i)
      if (FBits & (std::uint32_t(1) << i)) ++n;
    return n;
  }
  constexpr TMsgDlgButtons &operator<<(TMsgDlgBtn button) {
    FBits |= Bit(button);
    return *this;
  }
  friend constexpr bool operator==(TMsgDlgButtons a, TMsgDlgButtons b) { return a.FBits == b.FBits; }
  friend constexpr bool operator!=(TMsgDlgButtons a, TMsgDlgButtons b) { return a.FBits != b.FBits; }

 private:
  static constexpr std::uint32_t Bit(TMsgDlgBtn b) {
    return (int(b) >= 0 && int(b) < 32) ? (std::uint32_t(1) << int(b)) : 0;
  }
  std::uint32_t FBits = 0;
};

namespace UDialog {

// Shows the message modally and returns the modal result of the button that
// closed it (mrOk, mrCancel, mrYes, mrNo...); the close box and Escape give
// mrCancel.
// The help context is accepted and not used. See TfrmDialog for the test hook.
int MessageDialog(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx);
// The same, with defaultButton as the dialog's default: it has the focus and
// Enter presses it. A kind that is not in the set names no default.
int MessageDialog(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx,
                  TMsgDlgBtn defaultButton);

}  // namespace UDialog
