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

// The answers every scene gives alike: it clears each frame, and so asks for
// double buffering; it leaves the clear colour, the text colour, the
// projection and the camera to the caller; it wants no information overlay;
// and it shows the desktop behind it when the live ShowDesktop setting says
// so. Scene is the class deriving from it, which keeps the settings pointer
// among its own members.
template <class Scene>
class CommonAnswersHelper : public DrawingHelper, public ISceneStrategy {
public:
    bool ClearsEachFrame() override { return true; }
    // Asked through the interface, so a scene that stops clearing stops asking too.
    bool IsDoubleBuffered() override { return ClearsEachFrame(); }
    bool SetClearColor() override { return false; }
    bool SetTextColor(std::int32_t) override { return false; }
    bool SetProjection(float, float) override { return false; }
    bool SetCamera() override { return false; }
    bool ShowsDesktop() override { return static_cast<Scene*>(this)->settings->ShowDesktop; }
    bool ShowsInfo() override { return false; }
};
