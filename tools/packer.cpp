// ts_packer: generates every asset and writes data/assets.ass.
// Placeholder: the pack writer comes with the asset-pack module.
int main() { return 0; }
