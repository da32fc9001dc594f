#pragma once
// Fifty coloured star flares circling a tilted plane and creeping inwards.
#include <cstdint>

#include "scenes/scene.h"
#include "settings/settings.h"

struct Star {
    std::int32_t r, g, b;  // 0..255
    float dist;            // from the centre, [0, 5)
    float angle;           // degrees on the circle
};

constexpr std::uint32_t kStarCapacity = 50;

class Sterne : public CommonAnswersHelper<Sterne> {
public:
    explicit Sterne(Settings* liveSettings);
    ~Sterne() override;
    Sterne(const Sterne&) = delete;
    Sterne& operator=(const Sterne&) = delete;

    bool Init(float width, float height, bool resetState, bool createResources) override;
    void Advance(float timeStep) override;
    void Draw() override;
    bool UsesLighting() override { return false; }
    void DrawCaption(TextFont* font, std::int32_t x, std::int32_t y) override;

    // The state half of Init, after the texture and the identity matrix:
    // resets the view and, with createResources, spreads the stars over the
    // radius with colours drawn from rand in the order r, g, b.
    void InitState(bool resetState, bool createResources);

    std::uint32_t texture = 0;  // GL texture name
    Settings* settings;
    float tilt = 65.0f;
    float zoom = -10.0f;
    float spin = 0.0f;
    Star stars[kStarCapacity] = {};
    std::uint32_t starCount = kStarCapacity;
};

// A new Sterne for the factory; null when memory runs out.
ISceneStrategy* CreateSterne(Settings* liveSettings);
