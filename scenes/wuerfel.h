#pragma once
// A lit, additively blended cube with one picture on every face, tumbling
// about two axes.
#include <cstdint>

#include "scenes/scene.h"
#include "settings/settings.h"

class Wuerfel : public CommonAnswersHelper<Wuerfel> {
public:
    explicit Wuerfel(Settings* liveSettings);
    ~Wuerfel() override;
    Wuerfel(const Wuerfel&) = delete;
    Wuerfel& operator=(const Wuerfel&) = delete;

    bool Init(float width, float height, bool resetState, bool createResources) override;
    void Advance(float timeStep) override;
    void Draw() override;
    bool UsesLighting() override { return lighting; }
    void DrawCaption(TextFont* font, std::int32_t x, std::int32_t y) override;

    // The state half of Init, after the textures and the light set-up.
    void InitState(bool resetState, bool createResources);

    std::uint32_t faceTexture = 0;  // GL texture names
    // Plain black, made with the face picture; the silhouette over the
    // desktop comes out the same without sampling it (see Draw).
    std::uint32_t maskTexture = 0;
    Settings* settings;
    float zoom = -5.0f;
    bool lighting = true;
    float rotX = 0.0f;    // degrees
    float rotY = 0.0f;
    float speedX = 0.1f;  // degrees per sixtieth of a second
    float speedY = 0.2f;
};

// A new Wuerfel for the factory; null when memory runs out.
ISceneStrategy* CreateWuerfel(Settings* liveSettings);
