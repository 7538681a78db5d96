#pragma once
// What the engine may ask of the window that hosts it. The Qt main window implements it; the
// command-line tool and the tests use a quiet or a recording host.
#include <string>

struct TRenderHost {
  virtual ~TRenderHost() = default;
  virtual void SetStatusText(int panel, const std::string& text) = 0;  // panels 0 and 2
  virtual void SetProgress(int position) = 0;                          // 0..100
  virtual void ProcessMessages() = 0;                                  // the message pump
  virtual void LockCommands(bool busy) = 0;
  virtual void ShowPreview() = 0;
  virtual bool AnimationDialogOpen() const = 0;
  virtual std::string Localize(const std::string& text) = 0;
};

// Does nothing and translates nothing.
struct TQuietHost : TRenderHost {
  void SetStatusText(int, const std::string&) override {}
  void SetProgress(int) override {}
  void ProcessMessages() override {}
  void LockCommands(bool) override {}
  void ShowPreview() override {}
  bool AnimationDialogOpen() const override { return false; }
  std::string Localize(const std::string& text) override { return text; }
};
