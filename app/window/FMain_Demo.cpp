// The built-in demo: a simulated PC and controller write into the ring, with
// the trace options that make their dialogue readable.
#include <QCheckBox>

#include "ui_TabZeit.h"
#include "window/FMain.h"

void TFrmMain::StartDemo() {
  auto codes = std::make_shared<TCodeEntries>(*DefaultCodeEntries());
  (*codes)['\n'].LineBreak = true;
  rxBase_.Codes = codes;
  rxBase_.chkTextBegin = true;
  rxBase_.chkDatenAend = true;
  uiZeit_->chkProtZeit->setChecked(true);
  uiZeit_->chkMs->setChecked(true);
  PublishRxOptions();

  ReceiveRing& ring = Ring();
  demo_ = std::make_unique<TDemoSource>([&ring](bool fromSps, const std::string& bytes) {
    for (char c : bytes) {
      TSeriellData r;
      r.RecType = rtSeriell;
      r.Count = 1;
      r.Data[0] = static_cast<std::uint8_t>(c);
      r.Dir = fromSps ? dirPortB : dirPortA;
      r.Ready = 1;
      ring.Put(r);
    }
  });
  demo_->Start();
}
