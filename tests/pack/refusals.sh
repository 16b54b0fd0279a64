# Sourced by the pack tool's shell tests. expect_refusal VERB OUTPUT WANTED ARGS...:
# `lumepack VERB -o OUTPUT ARGS...` must fail with a message containing WANTED
# and leave no output behind.
expect_refusal() {
  local verb=$1 output=$2 wanted=$3
  shift 3
  rm -f "$output"
  local message
  if message=$("$lumepack" "$verb" -o "$output" "$@" 2>&1); then
    fail "$verb succeeded although it should refuse ($wanted)"
  elif [[ "$message" != *"$wanted"* ]]; then
    fail "refusal without \"$wanted\": $message"
  fi
  compgen -G "$output*" >/dev/null && fail "output written despite refusal ($wanted)"
  return 0
}
