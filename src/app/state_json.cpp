#include "app/state_json.h"

#include <cstdio>

namespace quorvel {

std::string JsonFloat(float v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
  return buf;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
  return out;
}

namespace {
const char* Bool(bool b) {
  return b ? "true" : "false";
}

std::string Pair(float a, float b) {
  return "[" + JsonFloat(a) + ", " + JsonFloat(b) + "]";
}
}  // namespace

std::string StateLineJson(const Game& g, const StateLineExtras& x) {
  const RaceState& s = g.s;
  const Form1Labels& l = g.form1.labels;
  std::string o = "{\"event\": ";
  o += JsonString(x.event);
  if (x.line > 0) o += ", \"line\": " + std::to_string(x.line);
  o += ", \"surface\": [" + std::to_string(x.surface_width) + ", " +
       std::to_string(x.surface_height) + "]";
  o += ", \"Pos\": [" + JsonFloat(s.Pos[0]) + ", " + JsonFloat(s.Pos[1]) + ", " +
       JsonFloat(s.Pos[2]) + ", " + JsonFloat(s.Pos[3]) + "]";
  o += ", \"Heading\": " + JsonFloat(s.Heading);
  o += ", \"Speed\": " + JsonFloat(s.Speed);
  o += ", \"Steer\": " + std::to_string(s.Steer);
  o += ", \"CameraLag\": " + std::to_string(s.CameraLag);
  o += ", \"CarType\": " + std::to_string(s.CarType);
  o += ", \"Ticks\": " + std::to_string(s.Ticks);
  o += ", \"Lap\": " + std::to_string(s.Lap);
  o += ", \"LastGate\": " + std::to_string(s.LastGate);
  o += std::string(", \"PastStartLine\": ") + Bool(s.PastStartLine);
  o += std::string(", \"QuitRequested\": ") + Bool(s.QuitRequested);
  o += std::string(", \"EnterLatch\": ") + Bool(s.EnterLatch);
  o += std::string(", \"JoyButtonLatch\": ") + Bool(s.JoyButtonLatch);
  o += ", \"CourseChoice\": " + std::to_string(s.CourseChoice);
  o += ", \"CarChoice\": " + std::to_string(s.CarChoice);
  o += ", \"RoadTriCount\": " + std::to_string(s.RoadTriCount);
  o += ", \"GateCount\": " + std::to_string(s.Gates.size());
  o += ", \"labels\": {\"Label1\": " + JsonString(l.Label1) +
       ", \"Label2\": " + JsonString(l.Label2) + ", \"Label4\": " + JsonString(l.Label4) +
       ", \"Label3\": " + JsonString(l.Label3) + ", \"Label3Visible\": " + Bool(l.Label3Visible) +
       "}";
  o += std::string(", \"timer\": ") + Bool(x.timer);
  if (g.form2) {
    const MenuState& m = *g.form2;
    o += ", \"menu\": {\"CurrentItem\": " + std::to_string(m.CurrentItem) +
         ", \"PendingCourse\": " + std::to_string(m.PendingCourse) +
         ", \"PendingCar\": " + std::to_string(m.PendingCar) +
         ", \"cursor\": " + Pair(m.Shape4Left, m.Shape4Top) +
         ", \"courseMark\": " + Pair(m.Shape2Left, m.Shape2Top) +
         ", \"carMark\": " + Pair(m.Shape3Left, m.Shape3Top) + "}";
  } else {
    o += ", \"menu\": null";
  }
  o += ", \"draws\": " + std::to_string(x.draws);
  o += ", \"slept\": " + std::to_string(x.slept);
  o += std::string(", \"ended\": ") + Bool(x.ended);
  o += "}";
  return o;
}

}  // namespace quorvel
