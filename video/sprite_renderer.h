// The eight hardware sprites, drawn over the background in every screen mode.
#pragma once

namespace video {

// Draws sprites 0 to 7 in that order over the FrameBuffer, so a higher-numbered sprite
// covers a lower-numbered one. Enabled sprites are drawn in their standard or
// multicolour form; under ForceMulticolour all eight are drawn in the multicolour form,
// enabled or not.
void RenderSprites();

}  // namespace video
