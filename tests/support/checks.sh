# Shared by the script tests: numbered checks and bounded waiting.
# Source it; it keeps the `passes` and `failures` counts.
passes=0
failures=0

check() {  # check NAME COMMAND...
  local name=$1
  shift
  if "$@"; then
    echo "ok - $name"
    passes=$((passes + 1))
  else
    echo "not ok - $name"
    failures=$((failures + 1))
  fi
}

# Polls COMMAND every 50 ms until it succeeds or SECONDS pass.
wait_for() {  # wait_for SECONDS COMMAND...
  local deadline=$((SECONDS + $1))
  shift
  while ! "$@"; do
    ((SECONDS >= deadline)) && return 1
    sleep 0.05
  done
}
