-- The sprite and start-up workloads get an 800 x 600 window, presented without waiting for a
-- refresh; the script workload runs with neither window nor graphics. Modules that the Tumblix
-- host has no counterpart of (sound, joysticks, physics, video, touch) stay off throughout.
function love.conf(t)
  local windowed = true
  for _, word in ipairs(arg) do
    if word == "scripts" then
      windowed = false
    end
  end
  t.modules.window = windowed
  t.modules.graphics = windowed
  t.modules.audio = false
  t.modules.sound = false
  t.modules.joystick = false
  t.modules.physics = false
  t.modules.video = false
  t.modules.touch = false
  t.window.title = "LÖVE peer benchmark"
  t.window.width = 800
  t.window.height = 600
  t.window.vsync = 0
end
