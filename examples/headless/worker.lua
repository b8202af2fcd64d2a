-- A worker stacks a crate every quarter of a second until it has stacked its quota, then
-- leaves: it deletes its own object.

quota = 3  -- set while the file runs: this thread's own global

function main(id)
  while (getKey(id, "crates") or 0) < quota do
    wait(pause(id, 0.25))
    setKey(id, "crates", (getKey(id, "crates") or 0) + 1)
    tally(id)  -- the host's own count, which no load takes back
    crates = (crates or 0) + 1  -- a new global of main's: shared by every script, and saved
    say("worker " .. id .. " stacks crate " .. getKey(id, "crates") .. ", " .. crates .. " in all")
  end
  say("worker " .. id .. " leaves")
  deleteObject(id)
end
