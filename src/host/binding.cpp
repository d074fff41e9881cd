#include "host/binding.h"

namespace host {

namespace {

void Place(RectControl& c, const Spot& spot) {
  c.Index = INT32_MIN;
  c.SetBounds(spot.bounds);
  c.SetVisible(spot.visible);
  c.SetEnabled(true);
  c.SetParent(spot.parent);
  c.LockLeft = c.LockTop = c.LockRight = spot.lockLeftTopRight;
  c.LockBottom = false;
  c.AutoDeactivate = true;
  c.HelpTag = "";
  c.TabPanelIndex = 0;
}

}  // namespace

Canvas& AddCanvas(Window& window, const char* name, const std::shared_ptr<Canvas>& canvas,
                  const Spot& spot) {
  window.AddControl(name, canvas);
  Place(*canvas, spot);
  canvas->AcceptFocus = false;
  canvas->AcceptTabs = false;
  canvas->UseFocusRing = true;
  canvas->EraseBackground = true;
  return *canvas;
}

StaticText& AddLabel(Window& window, const char* name, const std::shared_ptr<StaticText>& label,
                     const Spot& spot, const LabelStyle& style, const char* text) {
  window.AddControl(name, label);
  Place(*label, spot);
  label->TextFont = "System";
  label->TextSize = style.size;
  label->SetTextColor(RGB(255, 255, 255));
  label->TextAlign = style.align;
  label->Bold = label->Italic = label->Underline = false;
  label->MultiLine = style.multiLine;
  label->DataSource = label->DataField = "";
  label->SetText(text);
  return *label;
}

void SetFixedBlackBox(Window& window) {
  window.SetHasBackColor(true);
  window.SetBackColor(RGB(0, 0, 0));
  window.SetVisible(true);
}

}  // namespace host
