// What the menus, toolbar and panels need from the main window.
#pragma once

#include <QSize>

#include "view/app_state.h"

class QMainWindow;
class QString;
class QWidget;

namespace mv::ui {

class Host {
 public:
  virtual ~Host() = default;
  virtual AppState& State() = 0;
  virtual QMainWindow* Window() = 0;
  // Parent of the panels that lie over the OpenGL picture.
  virtual QWidget* Overlay() = 0;
  // The toolbar strip at the top of the picture.
  virtual QWidget* ToolbarStrip() = 0;
  // Outer size of the main window, frame, caption and menu bar included.
  virtual QSize OuterSize() const = 0;
  // Runs the survey loader again (after the start parameters were set).
  virtual void Reload() = 0;
  // Ends the program: deletes the rendering context and quits.
  virtual void Close() = 0;
  // "Otwórz dane jaskini...": asks for a survey and opens it.
  virtual void OpenSurvey() = 0;
  // "Zapisz obraz...": asks for a file and writes the picture to it.
  virtual void SavePicture() = 0;
  // "Zapisz animację obrotu...": one turn of the picture as an animated GIF.
  virtual void SaveAnimation() = 0;
  // "Zapisz rysunek SVG...": the picture as an SVG drawing.
  virtual void SaveDrawing() = 0;
  // Full screen on and off.
  virtual void ToggleFullScreen() = 0;
  // "Dopasuj widok": the rotation axis back where the survey opened with it,
  // then zoom and pan so the whole survey fills the picture.
  virtual void FitView() = 0;
  // "Pomiary": shows or hides the survey tree panel.
  virtual void ToggleSurveyTree() = 0;
  // "Statystyki" and "Znajdź możliwe połączenia..." for the part of the
  // survey selected in the tree (the whole survey where none is).
  virtual void ShowStatistics() = 0;
  virtual void FindConnections() = 0;
  // A short note over the bottom of the picture that goes by itself.
  virtual void ShowNote(const QString& text) = 0;
};

}  // namespace mv::ui
