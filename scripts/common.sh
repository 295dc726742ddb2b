# Shared by the README commands: where the source is and how to configure.
KORVAN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KORVAN_JOBS="${KORVAN_JOBS:-$(nproc 2>/dev/null || echo 2)}"

# korvan_configure BUILD_DIR [cmake options...]
korvan_configure() {
  local dir="$1"; shift
  cmake -S "$KORVAN_ROOT" -B "$dir" -G Ninja "$@"
}
