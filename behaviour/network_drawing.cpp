#include "behaviour/network_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "chart/colour.h"
#include "chart/text.h"
#include "params/params.h"

namespace {

// Beyond this many weights the lines would only make a blot.
constexpr std::size_t kMostConnectionsDrawn = 5000;
constexpr double kWidestLine = 6;
constexpr double kTextSize = 13;
constexpr double kLabelRoom = 90;  // for "direction" left and "turn" right

// The colours of the weights: the ends of the turn's colour scale.
constexpr Colour kPositive{0.698, 0.094, 0.169};
constexpr Colour kNegative{0.129, 0.400, 0.675};

struct Column {
  double x = 0;
  std::vector<double> y;  // a neuron's centre
  double biasY = 0;       // the bias node feeding the next column
};

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", v);
  return text;
}

}  // namespace

void DrawNetwork(cairo_t* cr, const Box& box, const NeuralNet& net, std::span<const double> weights) {
  // Column 0 holds the inputs, column L + 1 the outputs of layer L.
  std::vector<int> counts{std::max(net.iInputCount, 0)};
  for (const NeuralNet::Layer& layer : net.vecLayers) counts.push_back(layer.iNeuronCount);
  const int widest = *std::max_element(counts.begin(), counts.end());
  const double biasRoom = 46;
  const double top = box.top + biasRoom;
  const double height = box.bottom - top;
  const double radius = std::clamp(height / std::max(widest, 1) * 0.3, 1.5, 13.0);
  const double left = box.left + kLabelRoom;
  const double right = box.right - kLabelRoom;

  std::vector<Column> columns(counts.size());
  for (std::size_t c = 0; c < counts.size(); ++c) {
    Column& column = columns[c];
    column.x = counts.size() == 1 ? (left + right) / 2 : left + (right - left) * c / (counts.size() - 1);
    const double gap = height / std::max(counts[c], 1);
    for (int n = 0; n < counts[c]; ++n) column.y.push_back(top + gap * (n + 0.5));
    column.biasY = box.top + 18;
  }

  double largest = 0;
  bool numbers = true;
  for (double w : weights) {
    numbers = numbers && std::isfinite(w);
    largest = std::max(largest, std::fabs(w));
  }
  const bool drawLines = weights.size() <= kMostConnectionsDrawn && largest > 0 && numbers;

  // Connections first, the larger on top.
  if (drawLines) {
    struct Line {
      double x0, y0, x1, y1, w;
    };
    std::vector<Line> lines;
    for (std::size_t l = 0; l < net.vecLayers.size(); ++l) {
      const NeuralNet::Layer& layer = net.vecLayers[l];
      const Column& from = columns[l];
      const Column& to = columns[l + 1];
      for (int n = 0; n < layer.iNeuronCount; ++n) {
        const std::size_t first = static_cast<std::size_t>(layer.iFirstWeight) +
                                  static_cast<std::size_t>(n) * static_cast<std::size_t>(layer.iInputsPerNeuron + 1);
        for (int k = 0; k <= layer.iInputsPerNeuron; ++k) {
          const std::size_t at = first + static_cast<std::size_t>(k);
          if (at >= weights.size()) continue;
          const bool bias = k == layer.iInputsPerNeuron;
          const double y0 = bias ? from.biasY : (k < static_cast<int>(from.y.size()) ? from.y[static_cast<std::size_t>(k)] : from.biasY);
          lines.push_back({from.x, y0, to.x, to.y[static_cast<std::size_t>(n)], weights[at]});
        }
      }
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line& a, const Line& b) { return std::fabs(a.w) < std::fabs(b.w); });
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (const Line& line : lines) {
      const Colour c = line.w >= 0 ? kPositive : kNegative;
      const double share = std::fabs(line.w) / largest;
      cairo_set_source_rgba(cr, c.r, c.g, c.b, 0.35 + 0.65 * share);
      cairo_set_line_width(cr, 0.5 + (kWidestLine - 0.5) * share);
      cairo_move_to(cr, line.x0, line.y0);
      cairo_line_to(cr, line.x1, line.y1);
      cairo_stroke(cr);
    }
  }

  // Neurons and bias nodes.
  cairo_set_line_width(cr, 1.5);
  for (std::size_t c = 0; c < columns.size(); ++c) {
    for (double y : columns[c].y) {
      cairo_new_path(cr);
      cairo_arc(cr, columns[c].x, y, radius, 0, 2 * std::numbers::pi);
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_fill_preserve(cr);
      cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
      cairo_stroke(cr);
    }
    if (c + 1 < columns.size()) {
      const double s = 7;
      cairo_rectangle(cr, columns[c].x - s, columns[c].biasY - s, 2 * s, 2 * s);
      cairo_set_source_rgb(cr, 0.93, 0.93, 0.93);
      cairo_fill_preserve(cr);
      cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
      cairo_stroke(cr);
    }
  }

  // Labels.
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  SetFont(cr, kTextSize, false);
  const Column& inputs = columns.front();
  if (inputs.y.size() == 1) ShowText(cr, "direction", inputs.x - radius - 8, inputs.y[0] + 4.5, Align::kRight);
  for (std::size_t c = 0; c + 1 < columns.size(); ++c)
    ShowText(cr, "bias " + Number(Params.BiasInput), columns[c].x - 12, columns[c].biasY + 4.5, Align::kRight);
  const Column& outputs = columns.back();
  const char* const names[] = {"turn", "speed"};
  for (std::size_t n = 0; n < outputs.y.size() && n < 2; ++n)
    ShowText(cr, names[n], outputs.x + radius + 8, outputs.y[n] + 4.5, Align::kLeft);

  cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
  std::string legend;
  if (drawLines)
    legend = "red: a positive weight, blue: a negative one; the wider, the larger (the widest " + Number(largest) + ")";
  else if (!numbers)
    legend = "weights that are no numbers (NaN or infinite): no lines drawn";
  else if (largest == 0)
    legend = "every weight is 0";
  else
    legend = std::to_string(weights.size()) + " weights: too many lines to draw";
  ShowText(cr, legend, (box.left + box.right) / 2, box.bottom + 26, Align::kCentre);
}
