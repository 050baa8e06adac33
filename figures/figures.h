#pragma once

#include "figures/canvas.h"

#include <QPoint>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

namespace mohr {

// One flag per figure layer, in storage order. A drawing operation sets its own flag when it has
// drawn; the panel replays redraw every layer whose flag is set.
struct TFigureLayers {
    bool Element = false;
    bool FaceAxes = false;
    bool DiagramGrid = false;
    bool AxisDefinition = false;
    bool DiagramAxes = false;
    bool Circle = false;
    bool PrincipalStresses = false;
    bool PrincipalDirections = false;
    bool NormalLineBC = false;
    bool NormalLineED = false;
    bool PointED = false;
    bool PointBC = false;
    bool CentreConstruction = false;
    bool FaceAxisAE = false;
    bool FaceAxisAB = false;
    bool FaceAxisCD = false;
    bool FacePointAE = false;
    bool FacePointAB = false;
    bool FacePointCD = false;
    bool FaceSketchAE = false;
    bool FaceSketchAB = false;
    bool FaceSketchCD = false;
    bool FinalStresses = false;

    static constexpr int Count = 23;
    // The fields in storage order, for code that walks all of them.
    std::array<bool*, Count> Fields();
    std::array<const bool*, Count> Fields() const;
    bool operator==(const TFigureLayers&) const = default;
};

// The extras of the sample figure, passed in this order to DrawElement.
struct TElementOptions {
    bool ShowGrid = true;
    bool ShowDimensions = true;
    bool ShowAxes = true;
    bool operator==(const TElementOptions&) const = default;
};

// Head of an arrow: the tip and the two base corners, in drawing order.
struct TArrowHead {
    QPoint Tip;
    QPoint Corner1;
    QPoint Corner2;
};

// The integer head geometry of DrawArrow, with no drawing.
TArrowHead ArrowHeadCorners(int X1, int Y1, int X2, int Y2, int HeadSize);

// Diagram coordinates: stress (s; t) in MPa, t being Sxy, at pixel (340 + 2s, 200 + 2t): positive Sxy
// is plotted downward.
struct TDiagramScale {
    static constexpr int OriginX = 340;
    static constexpr int OriginY = 200;
    static constexpr int PixelsPerMPa = 2;
};
constexpr QPoint StressPixel(int normal, int shear) {
    return QPoint(TDiagramScale::OriginX + TDiagramScale::PixelsPerMPa * normal,
                  TDiagramScale::OriginY + TDiagramScale::PixelsPerMPa * shear);
}

// Told of each drawing operation of TFigures as it begins, by name and argument ("DrawCircle",
// "DrawDiagramAxes(2)", "DrawFaceAxis(AE)", "DrawElement(1,1,1)"): the exporter records through it what
// the walkthrough draws and when.
class TDrawObserver {
public:
    virtual ~TDrawObserver() = default;
    virtual void Drawing(const QString& operation) = 0;
};

// The figure state of both panels and every fixed figure drawn on them. The element panel is the
// 240 x 240 sample, the diagram panel the 400 x 400 sheet of Mohr's circle.
class TFigures {
public:
    TFigures(TCanvas& elementCanvas, TCanvas& diagramCanvas);
    ~TFigures();

    TCanvas& ElementCanvas() { return element_; }
    TCanvas& DiagramCanvas() { return diagram_; }

    TFigureLayers FigureLayers;
    TElementOptions ElementOptions;
    // 0 while the interface is Dutch, 1 while it is English; read by the direction-centre label.
    std::int32_t EnglishMode = 0;
    // None in the program itself.
    TDrawObserver* DrawObserver = nullptr;

    void SetAllLayers(bool Value);
    void SetElementOptions(bool Value);

    // The shared pen and brush save slot. Created and freed with the main window.
    void CreateSaveSlot();
    void FreeSaveSlot();
    const TPen* SavedPen() const { return savedPen_.get(); }
    const TBrush* SavedBrush() const { return savedBrush_.get(); }
    void SavePen(const TPen& Pen);
    void RestorePen(TPen& Pen) const;
    void SaveBrush(const TBrush& Brush);
    void RestoreBrush(TBrush& Brush) const;

    // Arrow primitive: a line with a filled triangular head whose tip is (X2, Y2).
    static void DrawArrow(TCanvas& Canvas, int X1, int Y1, int X2, int Y2, Colour Color, PenStyle Style,
                          int HeadSize, int PenWidth);

    // Element panel.
    void DrawElement(bool ShowGrid, bool ShowDimensions, bool ShowAxes);
    void DrawFaceAxes();
    void DrawFinalStresses();

    // Diagram panel: axes and grid.
    void DrawDiagramAxes(int kind);
    void DrawAxisDefinition();
    void DrawDiagramGrid();

    // Diagram panel: the construction of the circle.
    void DrawPointED();
    void DrawPointBC();
    void DrawCentreConstruction();
    void DrawCircle();
    void DrawNormalLineBC();
    void DrawNormalLineED();
    void DrawPrincipalStresses();
    void DrawPrincipalDirections();

    // Diagram panel: the remaining faces; face is a FaceId ("AE", "AB", "CD"), tested by substring.
    void DrawFaceAxis(const QString& face);
    void DrawFacePoint(const QString& face);
    void DrawFaceSketch(const QString& face);

    // Replays of every set layer, in the fixed order of each panel.
    void PaintBox2Paint();
    void PaintBox1Paint();

private:
    bool symbolInstalled() const;

    TCanvas& element_;
    TCanvas& diagram_;
    std::unique_ptr<TPen> savedPen_;
    std::unique_ptr<TBrush> savedBrush_;
};

} // namespace mohr
