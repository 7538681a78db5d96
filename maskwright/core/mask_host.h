#pragma once
// What the depth-mask core may ask of the window that hosts it. The Qt main window implements
// it; the command-line tool and the tests use a quiet or a recording host.
#include <string>

struct TMaskHost {
  virtual ~TMaskHost() = default;
  virtual void SetStatusText(int panel, const std::string& text) = 0;  // panels 0, 1 and 2
  virtual void SetProgress(int position) = 0;                          // 0..100
  virtual void ProcessMessages() = 0;                                  // the message pump
  virtual void SetBusy(bool busy) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void ShowError(const std::string& text) = 0;  // error box with an OK button
  // The 3D view: whether it can draw, and render + present.
  virtual bool ViewReady() const = 0;
  virtual void RenderView() = 0;
  // The preview box and the screen, for the preview's size; then show the new preview.
  virtual void PreviewBoxSize(int& width, int& height) const = 0;
  virtual void ScreenSize(int& width, int& height) const = 0;
  virtual void ShowPreview() = 0;
  virtual std::string Localize(const std::string& text) = 0;
};

// Does nothing and translates nothing; its view is always ready.
struct TQuietMaskHost : TMaskHost {
  void SetStatusText(int, const std::string&) override {}
  void SetProgress(int) override {}
  void ProcessMessages() override {}
  void SetBusy(bool) override {}
  void SetCaption(const std::string&) override {}
  void ShowError(const std::string&) override {}
  bool ViewReady() const override { return true; }
  void RenderView() override {}
  void PreviewBoxSize(int& width, int& height) const override { width = 250, height = 250; }
  void ScreenSize(int& width, int& height) const override { width = 1024, height = 768; }
  void ShowPreview() override {}
  std::string Localize(const std::string& text) override { return text; }
};
