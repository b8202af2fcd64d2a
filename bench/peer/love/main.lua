-- The LÖVE side of the peer benchmark (scripts/peer-bench.sh): the work of the Tumblix host in
-- bench/peer, written as a LÖVE developer would write it, with the same arguments and the same
-- "name value" lines.
--
--   love <this folder> scripts <objects> <frames>
--   love <this folder> sprites <sprites> <frames>
--   love <this folder> startup
--
-- Scripted objects are tables, each with a coroutine that yields the seconds it waits;
-- love.update scans the plain list of them and resumes the due ones. They wake on the frames
-- where Tumblix, which counts a pause down in single precision, wakes its objects: the script
-- checks that both engines count the same wakes.
local ffi = require("ffi")

ffi.cdef [[
typedef struct { long tv_sec; long tv_nsec; } peer_timespec;
int clock_gettime(int clock, peer_timespec *now);
]]

local CLOCK_REALTIME, CLOCK_MONOTONIC, CLOCK_THREAD_CPUTIME_ID = 0, 1, 3
local FRAME_SECONDS = 0.01
local WARM_UP_FRAMES = 5  -- as the Tumblix host: caches filled and shaders compiled
local WIDTH, HEIGHT, SPRITE_SIZE = 800, 600, 32

local timespec = ffi.new("peer_timespec")

local function secondsOn(clock)
  ffi.C.clock_gettime(clock, timespec)
  return tonumber(timespec.tv_sec) + tonumber(timespec.tv_nsec) * 1e-9
end

local function realMicroseconds()
  ffi.C.clock_gettime(CLOCK_REALTIME, timespec)
  return tonumber(timespec.tv_sec) * 1e6 + math.floor(tonumber(timespec.tv_nsec) / 1e3)
end

local function residentKilobytes()
  local status = io.open("/proc/self/status")
  if not status then
    return 0
  end
  local text = status:read("*a")
  status:close()
  return tonumber(text:match("VmRSS:%s*(%d+)")) or 0
end

local function report(name, format, value)
  io.stdout:write(name, " ", string.format(format, value), "\n")
end

-- The Tumblix host's bench/peer/sleeper.lua: the same Park-Miller wait times, seeded by the id.
local function sleeper(object)
  local seed = object.id
  while true do
    seed = seed * 16807 % 2147483647
    coroutine.yield(0.1 + 0.9 * (seed / 2147483647))
    object.n = (object.n or 0) + 1
  end
end

local objects = {}
local now = 0  -- seconds since the first frame

-- When an object that has just yielded `seconds` wakes next.
local function resumed(ok, seconds)
  if not ok then
    error(seconds, 0)
  end
  return now + seconds
end

local function startObject(id)
  local object = {id = id, co = coroutine.create(sleeper)}
  object.wake = resumed(coroutine.resume(object.co, object))
  objects[#objects + 1] = object
end

function love.update(dt)
  now = now + dt
  for i = 1, #objects do
    local object = objects[i]
    if object.wake <= now then
      object.wake = resumed(coroutine.resume(object.co))
    end
  end
end

local function runScripts(count, frames)
  local kilobytesBefore = residentKilobytes()
  local createStart, createWallStart = secondsOn(CLOCK_THREAD_CPUTIME_ID), secondsOn(CLOCK_MONOTONIC)
  for id = 1, count do
    startObject(id)
  end
  local createSeconds = secondsOn(CLOCK_THREAD_CPUTIME_ID) - createStart
  local createWallSeconds = secondsOn(CLOCK_MONOTONIC) - createWallStart
  local kilobytesCreated = residentKilobytes()

  local framesStart, framesWallStart = secondsOn(CLOCK_THREAD_CPUTIME_ID), secondsOn(CLOCK_MONOTONIC)
  for _ = 1, frames do
    love.update(FRAME_SECONDS)
  end
  local frameSeconds = (secondsOn(CLOCK_THREAD_CPUTIME_ID) - framesStart) / frames
  local frameWallSeconds = (secondsOn(CLOCK_MONOTONIC) - framesWallStart) / frames
  local kilobytesAfter = residentKilobytes()

  local wakes, checksum = 0, 0
  for i = 1, #objects do
    local n = objects[i].n or 0
    wakes = wakes + n
    checksum = checksum + n * objects[i].id
  end
  local perTenThousand = 10000 / count / 1024
  report("create_ms", "%.3f", createSeconds * 1e3)
  report("create_wall_ms", "%.3f", createWallSeconds * 1e3)
  report("frame_ms", "%.4f", frameSeconds * 1e3)
  report("frame_wall_ms", "%.4f", frameWallSeconds * 1e3)
  report("rss_created_mb_per_10k", "%.2f", (kilobytesCreated - kilobytesBefore) * perTenThousand)
  report("rss_mb_per_10k", "%.2f", (kilobytesAfter - kilobytesBefore) * perTenThousand)
  report("wakes", "%.0f", wakes)
  report("checksum", "%.0f", checksum)
end

-- The sprites move as the Tumblix host's SpriteScene moves them: each on its own straight line,
-- wrapping at the edges.
local images = {}
local tracks = {x = {}, y = {}, dx = {}, dy = {}}

local function buildScene(count)
  -- Sampled as Tumblix samples them: the nearest texel, the same picture where every sprite
  -- sits on whole pixels at its size, for less work than LÖVE's default blend of four.
  love.graphics.setDefaultFilter("nearest", "nearest")
  images.backdrop = love.graphics.newImage("backdrop.png")
  images.sprite = love.graphics.newImage("sprite.png")
  for i = 0, count - 1 do
    tracks.x[i + 1] = i * 7919 % (WIDTH - SPRITE_SIZE)
    tracks.y[i + 1] = i * 6007 % (HEIGHT - SPRITE_SIZE)
    tracks.dx[i + 1] = 1 + i % 5
    tracks.dy[i + 1] = 1 + i % 3
  end
end

function love.draw(number)
  local sprite, x, y, dx, dy = images.sprite, tracks.x, tracks.y, tracks.dx, tracks.dy
  love.graphics.draw(images.backdrop, 0, 0)
  for i = 1, #x do
    love.graphics.draw(sprite, (x[i] + number * dx[i]) % (WIDTH - SPRITE_SIZE),
                       (y[i] + number * dy[i]) % (HEIGHT - SPRITE_SIZE))
  end
end

-- Handles the events waiting, as love.run does every frame.
local function handleEvents()
  love.event.pump()
  for name in love.event.poll() do
    if name == "quit" then
      error("the window was closed", 0)
    end
  end
end

local function presentFrame(number)
  love.graphics.origin()
  love.graphics.clear(0, 0, 0, 1)
  love.draw(number)
  love.graphics.present()
end

local function runSprites(count, frames)
  buildScene(count)
  local start, wallStart
  for number = 0, WARM_UP_FRAMES + frames - 1 do
    if number == WARM_UP_FRAMES then
      start, wallStart = secondsOn(CLOCK_THREAD_CPUTIME_ID), secondsOn(CLOCK_MONOTONIC)
    end
    handleEvents()
    presentFrame(number)
  end
  report("frame_cpu_ms", "%.3f", (secondsOn(CLOCK_THREAD_CPUTIME_ID) - start) / frames * 1e3)
  report("frame_wall_ms", "%.3f", (secondsOn(CLOCK_MONOTONIC) - wallStart) / frames * 1e3)
  local name, version, _, device = love.graphics.getRendererInfo()
  io.stdout:write("renderer ", name, " ", version, " ", device, "\n")
end

-- As the Tumblix host starts up: the images loaded, one scripted object started, then one frame
-- that updates it and draws the backdrop and a sprite.
local function runStartup()
  buildScene(1)
  startObject(1)
  handleEvents()
  love.update(FRAME_SECONDS)
  presentFrame(0)
  report("first_frame_us", "%.0f", realMicroseconds())
end

local function count(text)
  local value = tonumber(text)
  if not value or value < 1 or value ~= math.floor(value) then
    error("usage: love <folder> scripts|sprites <count> <frames>, or love <folder> startup", 0)
  end
  return value
end

function love.errorhandler(message)
  io.stderr:write("Error: ", tostring(message), "\n", debug.traceback("", 2), "\n")
  return function()
    return 1
  end
end

function love.run()
  local args = love.arg.parseGameArguments(arg)
  local workload = args[1]
  if workload == "scripts" then
    runScripts(count(args[2]), count(args[3]))
  elseif workload == "sprites" then
    runSprites(count(args[2]), count(args[3]))
  elseif workload == "startup" then
    runStartup()
  else
    count(nil)
  end
  io.stdout:flush()
  return function()
    return 0
  end
end
