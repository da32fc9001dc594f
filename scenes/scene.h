#pragma once
// The interface every scene implements, in the order of its operations.
#include <cstdint>

struct TextFont;

class ISceneStrategy {
public:
    virtual ~ISceneStrategy() = default;
    virtual bool Init(float width, float height, bool resetState, bool createResources) = 0;
    virtual void Advance(float timeStep) = 0;
    virtual void Draw() = 0;
    virtual bool ClearsEachFrame() = 0;
    virtual bool IsDoubleBuffered() = 0;
    virtual bool UsesLighting() = 0;
    virtual bool SetClearColor() = 0;
    virtual bool SetTextColor(std::int32_t selector) = 0;
    virtual bool SetProjection(float width, float height) = 0;
    virtual bool SetCamera() = 0;
    virtual bool ShowsDesktop() = 0;
    virtual bool ShowsInfo() = 0;
    virtual void DrawCaption(TextFont* font, std::int32_t x, std::int32_t y) = 0;
};

// Drawing steps the scenes share; no data, no virtual operations.
class DrawingHelper {
};
