#pragma once

// A plot model without a widget: a fixed client size, and a canvas that records every call
// as a line of text, so tests can check what is drawn and in which order.

#include "plot/xyz_plot_model.h"

#include <cstdio>
#include <string>
#include <vector>

class RecordingCanvas : public TPlotCanvas {
 public:
  std::vector<std::string> calls;

  void SetPenColor(TColor color) override { Add("pen " + Hex(color)); }
  void SetBrushColor(TColor color) override { Add("brush " + Hex(color)); }
  void MoveTo(int x, int y) override { Add("move " + Xy(x, y)); }
  void LineTo(int x, int y) override { Add("line " + Xy(x, y)); }
  void Polyline(std::span<const POINT> points) override { Add("polyline " + Points(points)); }
  void Polygon(std::span<const POINT> points) override { Add("polygon " + Points(points)); }
  void Rectangle(int x1, int y1, int x2, int y2) override {
    Add("rect " + Xy(x1, y1) + " " + Xy(x2, y2));
  }
  void TextOut(int x, int y, std::string_view text) override {
    Add("text " + Xy(x, y) + " " + std::string(text));
  }
  void FillRect(int x1, int y1, int x2, int y2) override {
    Add("fill " + Xy(x1, y1) + " " + Xy(x2, y2));
  }
  void Add(std::string call) { calls.push_back(std::move(call)); }

  static std::string Hex(TColor color) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", color);
    return text;
  }
  static std::string Xy(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
  static std::string Points(std::span<const POINT> points) {
    std::string text = std::to_string(points.size());
    for (const POINT& p : points) text += " " + Xy(p.x, p.y);
    return text;
  }
};

class RecordingPlot : public TXYZPlotModel {
 public:
  int width = 201;
  int height = 151;
  bool visible = true;
  int redraws = 0;  // copies onto the screen
  RecordingCanvas canvas;

  [[nodiscard]] int ClientWidth() const override { return width; }
  [[nodiscard]] int ClientHeight() const override { return height; }
  [[nodiscard]] bool Visible() const override { return visible; }
  void RedrawScreen() override {
    ++redraws;
    canvas.Add("copy");
  }

  // The calls whose text starts with one of the prefixes, in order.
  [[nodiscard]] std::vector<std::string> Calls(std::initializer_list<std::string> prefixes) const {
    std::vector<std::string> found;
    for (const std::string& call : canvas.calls) {
      for (const std::string& prefix : prefixes) {
        if (call.rfind(prefix, 0) == 0) {
          found.push_back(call);
          break;
        }
      }
    }
    return found;
  }

 protected:
  TPlotCanvas& PlotCanvas() override { return canvas; }
  void SetControlVisible(bool on) override { visible = on; }
};
