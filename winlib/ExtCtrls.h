// Panels, bevels and images.
#pragma once
#include "Controls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A container that paints its colour and up to two bevels.
class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* owner);
  const char* ClassName() const override { return "TPanel"; }
  const TPropTable& Published() const override;
  TBevelCut BevelInner() const { return BevelInner_; }
  void SetBevelInner(TBevelCut v);
  TBevelCut BevelOuter() const { return BevelOuter_; }
  void SetBevelOuter(TBevelCut v);
  int BevelWidth() const { return BevelWidth_; }
  void SetBevelWidth(int v);
  // True: the panel shows its parent's background instead of its Color
  // (what themed parents ask of it). The title band turns this off.
  bool ParentBackground() const { return ParentBackground_; }
  void SetParentBackground(bool v);

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
  RECT AlignRect() const override;

 private:
  void Paint(HDC dc);
  TBevelCut BevelInner_ = bvNone;
  TBevelCut BevelOuter_ = bvRaised;
  int BevelWidth_ = 1;
  bool ParentBackground_ = true;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

// Etched lines and boxes on the parent's background.
class TBevel : public TWinControl {
 public:
  explicit TBevel(TComponent* owner);
  const char* ClassName() const override { return "TBevel"; }
  const TPropTable& Published() const override;
  TBevelShape Shape() const { return Shape_; }
  void SetShape(TBevelShape v);
  TBevelStyle Style() const { return Style_; }
  void SetStyle(TBevelStyle v);

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;

 private:
  void Paint(HDC dc);
  TBevelShape Shape_ = bsBox;
  TBevelStyle Style_ = bsLowered;
};

// Shows its bitmap at the top-left corner, unscaled, on the parent's
// background.
class TImage : public TWinControl {
 public:
  explicit TImage(TComponent* owner);
  const char* ClassName() const override { return "TImage"; }
  const TPropTable& Published() const override;
  TBitmap* Bitmap() { return &Bitmap_; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;

 private:
  void Paint(HDC dc);
  TBitmap Bitmap_;
};
